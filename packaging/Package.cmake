# The Debian package: cpack -G DEB in the build folder (make package) writes
# trevak_<version>_<arch>.deb. dpkg-shlibdeps (dpkg-dev) computes the
# dependencies on the shared libraries.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trevak)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Trevak")
set(CPACK_PACKAGE_CONTACT "Trevak packaging <packaging@trevak.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cutting-stock optimisation for bar and wire (线材下料优化)")
set(CPACK_PACKAGE_DESCRIPTION
"Trevak plans the cutting of bar, wire and tube stock: from a cut list
(specification, length, quantity, mark) and a stock list (specification,
length, quantity or unlimited, preferred) it finds, per specification,
cutting patterns that leave the least waste, honouring trim, kerf and a
limit on the distinct lengths per bar. Plans and leftovers are written as
text, RTF documents or .xlsx workbooks; lists are read and written as text
and spreadsheet files. The package holds the window (trevak), the command
line (trevak-cli) and the user guide.

Trevak线材下料优化：输入下料清单和原料库存，按规格计算余料最少的下料
组合，可设剔除料头、切割缝宽和每根原料上的长度种类；结果可输出为文本、
Word 文档或 Excel 表格，余料可写回原料库。含图形界面、命令行程序和用户
手册。")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's texts are Chinese: a font that writes them, and Qt's own
# translations for its standard buttons and file dialogs. Opening reports,
# workbooks and the help document goes through xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
