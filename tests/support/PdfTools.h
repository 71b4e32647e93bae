#pragma once

// Reading the program's PDF files as a user's tools read them: the text
// through pdftotext, the page count through pdfinfo, pages as pictures
// through pdftoppm. The tools' paths come from the build.

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

// What a shell command printed on its standard output.
inline std::string CommandOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    std::size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
    pclose(pipe);
    return output;
}

inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The text of the PDF in the order it was written (UTF-8).
inline std::string PdfText(const std::string& path)
{
    return CommandOutput(std::string(TREVAK_PDFTOTEXT) + " -raw -enc UTF-8 " + Quoted(path) + " - 2>/dev/null");
}

inline int PdfPageCount(const std::string& path)
{
    std::istringstream info(CommandOutput(std::string(TREVAK_PDFINFO) + " " + Quoted(path) + " 2>/dev/null"));
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("Pages:", 0) == 0) return std::stoi(line.substr(6));
    }
    return -1;
}

// Renders page `page` (from 1) at dpi as a PNG file prefix-N.png; returns its path.
inline std::string RenderPage(const std::string& pdf, int page, int dpi, const std::string& prefix)
{
    CommandOutput(std::string(TREVAK_PDFTOPPM) + " -png -r " + std::to_string(dpi) + " -f " + std::to_string(page) +
                  " -l " + std::to_string(page) + " -singlefile " + Quoted(pdf) + " " + Quoted(prefix));
    return prefix + ".png";
}

// The words of a text, split at white space.
inline std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string word;
    while (in >> word) words.push_back(word);
    return words;
}

// The position after the first occurrence of `wanted` as whole words, in
// order, from `from` on; words.size() + 1 when they do not all appear.
inline std::size_t FindInOrder(const std::vector<std::string>& words, const std::vector<std::string>& wanted,
                               std::size_t from)
{
    std::size_t at = from;
    for (const std::string& w : wanted) {
        while (at < words.size() && words[at] != w) ++at;
        if (at == words.size()) return words.size() + 1;
        ++at;
    }
    return at;
}
