# Checks the built help document QRMHelp.pdf: a PDF of plausible size whose
# embedded fonts write Chinese, and, where pdftotext is installed, whose text
# reads back as the manual's Chinese text (searchable, no radicals in place of
# ideographs such as "⻓度" for "长度").
#
#   cmake -DPDF=path/QRMHelp.pdf [-DPDFTOTEXT=path/pdftotext] -P CheckHelpPdf.cmake

if(NOT EXISTS "${PDF}")
    message(FATAL_ERROR "no help document at ${PDF}")
endif()

file(SIZE "${PDF}" size)
if(size LESS 100000)
    message(FATAL_ERROR "${PDF} has only ${size} bytes: too small for the manual with its fonts and picture")
endif()

file(READ "${PDF}" head LIMIT 5 HEX)
if(NOT head STREQUAL "255044462d")
    message(FATAL_ERROR "${PDF} does not start with %PDF-")
endif()

# Embedded font subsets are named "ABCDEF+Family".
file(STRINGS "${PDF}" font_names REGEX "/FontName */[A-Z]+\\+")
set(cjk_fonts "")
foreach(line IN LISTS font_names)
    if(line MATCHES "/FontName */[A-Z]+\\+([^ />]*(CJK|Han|Hei|Song|Ming|Kai|SimSun|YaHei)[^ />]*)")
        list(APPEND cjk_fonts "${CMAKE_MATCH_1}")
    endif()
endforeach()
if(NOT cjk_fonts)
    message(FATAL_ERROR "${PDF} embeds no font that writes Chinese (fonts: ${font_names})")
endif()
message(STATUS "embedded Chinese fonts: ${cjk_fonts}")

if(NOT PDFTOTEXT)
    message(STATUS "pdftotext not installed: the text layer is not checked")
    return()
endif()
execute_process(COMMAND "${PDFTOTEXT}" -enc UTF-8 "${PDF}" -
    OUTPUT_VARIABLE text RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "pdftotext failed on ${PDF}: ${errors}")
endif()
# Words from the title page, the contents, the body and the command line
# section; 长, 文, 工, 用 are among the characters a font shares with a radical.
foreach(word "Trevak线材下料优化" "用户手册" "目录" "下料信息" "原料库存" "剔除料头" "切割缝宽"
             "优化计算" "利用率" "余料长度" "长度" "文件" "工件" "Trevak_Temp" "GBK" "trevak-cli"
             "第 2 页")
    string(FIND "${text}" "${word}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the text of ${PDF} does not contain \"${word}\"")
    endif()
endforeach()
