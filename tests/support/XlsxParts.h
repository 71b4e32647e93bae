#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>

// Workbook files made from their XML parts, for content no spreadsheet
// writer of ours produces (inline strings, escapes, hostile sizes).

// A zip archive of deflated entries. declaredSize, when not 0, replaces the
// uncompressed size written for every entry whose name ends in
// declaredSizeFor (a size that does not match is what a hostile file holds).
inline std::string ZipArchive(const std::vector<std::pair<std::string, std::string>>& entries,
                              const std::string& declaredSizeFor = std::string(), uint32_t declaredSize = 0)
{
    auto put16 = [](std::string& out, uint32_t v) {
        out.push_back(char(v & 0xFF));
        out.push_back(char((v >> 8) & 0xFF));
    };
    auto put32 = [&](std::string& out, uint32_t v) {
        put16(out, v & 0xFFFF);
        put16(out, v >> 16);
    };
    std::string archive, directory;
    for (const auto& [name, content] : entries) {
        z_stream stream{};
        deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
        std::string packed(deflateBound(&stream, uLong(content.size())), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
        stream.avail_in = uInt(content.size());
        stream.next_out = reinterpret_cast<Bytef*>(&packed[0]);
        stream.avail_out = uInt(packed.size());
        deflate(&stream, Z_FINISH);
        packed.resize(stream.total_out);
        deflateEnd(&stream);
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(content.data()), uInt(content.size())));
        const bool lie = !declaredSizeFor.empty() && name.size() >= declaredSizeFor.size() &&
                         name.compare(name.size() - declaredSizeFor.size(), declaredSizeFor.size(), declaredSizeFor) == 0;
        const uint32_t size = lie && declaredSize ? declaredSize : uint32_t(content.size());
        const uint32_t offset = uint32_t(archive.size());
        put32(archive, 0x04034b50);
        put16(archive, 20);
        put16(archive, 0);
        put16(archive, 8);
        put32(archive, 0);
        put32(archive, crc);
        put32(archive, uint32_t(packed.size()));
        put32(archive, size);
        put16(archive, uint32_t(name.size()));
        put16(archive, 0);
        archive += name + packed;
        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, 8);
        put32(directory, 0);
        put32(directory, crc);
        put32(directory, uint32_t(packed.size()));
        put32(directory, size);
        put16(directory, uint32_t(name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += name;
    }
    const uint32_t directoryOffset = uint32_t(archive.size());
    archive += directory;
    put32(archive, 0x06054b50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, uint32_t(entries.size()));
    put16(archive, uint32_t(entries.size()));
    put32(archive, uint32_t(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);
    return archive;
}

// An .xlsx of one sheet "S" with the given <sheetData> content and shared
// strings part (the whole <sst> element).
inline std::string XlsxFromParts(const std::string& sheetData, const std::string& sharedStrings,
                                 uint32_t declaredSharedStringsSize = 0)
{
    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string pkg = "http://schemas.openxmlformats.org/package/2006/relationships";
    const std::string types =
        header + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                 "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                 "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                 "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                 "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                 "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/></Types>";
    const std::string rootRels = header + "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" +
                                 rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    const std::string workbook = header + "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                                 "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const std::string workbookRels = header + "<Relationships xmlns=\"" + pkg + "\"><Relationship Id=\"rId1\" Type=\"" +
                                     rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
                                     rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
    const std::string sheet = header + "<worksheet xmlns=\"" + main + "\"><sheetData>" + sheetData +
                              "</sheetData></worksheet>";
    return ZipArchive({{"[Content_Types].xml", types},
                       {"_rels/.rels", rootRels},
                       {"xl/workbook.xml", workbook},
                       {"xl/_rels/workbook.xml.rels", workbookRels},
                       {"xl/worksheets/sheet1.xml", sheet},
                       {"xl/sharedStrings.xml", sharedStrings}},
                      "sharedStrings.xml", declaredSharedStringsSize);
}


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
