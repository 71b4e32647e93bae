#pragma once

// The XML parts of a saved .xlsx file, read with the zip reader of liborcus:
// a second look at what the workbook writer put into the file, independent of
// the program's own workbook reader.

#include <exception>
#include <regex>
#include <string>
#include <vector>

#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

// The text of one part ("xl/worksheets/sheet1.xml", "xl/workbook.xml"), or
// an empty text when the file or the part cannot be read.
inline std::string XlsxPart(const std::string& path, const std::string& part)
{
    try {
        orcus::zip_archive_stream_fd stream(path.c_str());
        orcus::zip_archive archive(&stream);
        archive.load();
        std::vector<unsigned char> bytes;
        if (!archive.read_file_entry(part, bytes))
            return std::string();
        return std::string(bytes.begin(), bytes.end());
    } catch (const std::exception&) {
        return std::string();
    }
}

// The value of attribute `name` of the first element `element` in xml, or
// "(none)" when there is no such element or attribute.
inline std::string XmlAttribute(const std::string& xml, const std::string& element, const std::string& name)
{
    const std::size_t start = xml.find("<" + element);
    if (start == std::string::npos)
        return "(none)";
    const std::size_t end = xml.find('>', start);
    const std::string tag = xml.substr(start, end - start);
    std::smatch match;
    if (!std::regex_search(tag, match, std::regex("\\s" + name + "=\"([^\"]*)\"")))
        return "(none)";
    return match[1].str();
}

// The rows (1-based, the first row of each new page) of the manual page
// breaks of a sheet part: <brk id="N"> names the zero-based row above which
// the page breaks, that is the 1-based row N that ends the previous page.
inline std::vector<int> XmlRowBreaks(const std::string& sheetXml)
{
    std::vector<int> rows;
    const std::size_t start = sheetXml.find("<rowBreaks");
    if (start == std::string::npos)
        return rows;
    const std::size_t end = sheetXml.find("</rowBreaks>", start);
    const std::string breaks = sheetXml.substr(start, end - start);
    const std::regex brk("<brk id=\"(\\d+)\"");
    for (auto it = std::sregex_iterator(breaks.begin(), breaks.end(), brk); it != std::sregex_iterator(); ++it)
        rows.push_back(std::stoi((*it)[1].str()) + 1);
    return rows;
}
