#include "reports/RtfDocument.h"

#include <cstdint>

#include "base/Codepage.h"
#include "base/ReportConventions.h"

namespace {

// The prologue: font table (宋体 is \f15), colour table (1 light yellow,
// 2 light cyan, ...), style sheet and list table. The document group opened by
// the first line stays open until End.
const char16_t* const PROLOGUE[] = {
    uR"({\rtf1\ansi\ansicpg936\uc2 \deff15\deflang1033\deflangfe2052)",
    uR"({\fonttbl{\f0\froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;})",
    uR"({\f15\fnil\fcharset134\fprq2{\*\panose 02010600030101010101}宋体;})",
    uR"({\f41\fnil\fcharset134\fprq2{\*\panose 02010600030101010101}@宋体;})",
    uR"({\f62\froman\fcharset238\fprq2 Times New Roman CE;})",
    uR"({\f63\froman\fcharset204\fprq2 Times New Roman Cyr;})",
    uR"({\f65\froman\fcharset161\fprq2 Times New Roman Greek;})",
    uR"({\f66\froman\fcharset162\fprq2 Times New Roman Tur;})",
    uR"({\f67\froman\fcharset186\fprq2 Times New Roman Baltic;})",
    uR"({\f154\fnil\fcharset0\fprq2 宋体;}{\f310\fnil\fcharset0\fprq2 @宋体;}})",
    uR"({\colortbl;\red255\green255\blue204;\red204\green255\blue255;\red0\green255\blue255;)",
    uR"(\red0\green255\blue0;\red255\green0\blue255;\red255\green0\blue0;)",
    uR"(\red255\green255\blue0;\red255\green255\blue255;\red0\green0\blue128;)",
    uR"(\red0\green128\blue128;\red0\green128\blue0;\red128\green0\blue128;\red128\green0\blue0;)"
    uR"(\red128\green128\blue0;\red128\green128\blue128;\red192\green192\blue192;})",
    uR"({\stylesheet{)",
    uR"(\qj\fs21\kerning2\f15\cgrid \snext0 Normal;}{\*\cs10 \additive Default Paragraph Font;}})",
    uR"({\*\listtable{\list\listtemplateid1300418492\listsimple{\listlevel\levelnfc0\leveljc0)",
    // The character after \'00 is the full-width full stop U+FF0E.
    uR"(\levelfollow0\levelstartat1\levelspace0\levelindent0{\leveltext\'02\'00．;})",
    uR"({\levelnumbers\'01;}\fbias1 \fi-285\li705\jclisttab\tx705 }{\listname ;}\listid1591161316}})"
    uR"({\*\listoverridetable{\listoverride\listid1591161316\listoverridecount0\ls1}})",
};

// The page footer after "第": the PAGE field, "页/共", the NUMPAGES field and
// "页". The stored field results 2 and 3 are placeholders that the word
// processor recomputes.
const char16_t* const FOOTER_FIELDS[] = {
    uR"({\field{\*\fldinst {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \kerning0\insrsid1983776 \hich\af0\dbch\af13)"
    uR"(\loch\f13  PAGE }}{\fldrslt {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \lang1024)",
    uR"(\langfe1024\kerning0\noproof\insrsid1983776 \hich\af0\dbch\af13\loch\f13 2}}})",
    uR"(页/共)",
    uR"({\field{\*\fldinst {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \kerning0\insrsid1983776 \hich\af0\dbch\af13)"
    uR"(\loch\f13  NUMPAGES })",
    uR"(}{\fldrslt {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \lang1024\langfe1024\kerning0\noproof\insrsid1983776 )"
    uR"(\hich\af0\dbch\af13\loch\f13 3}}})",
    uR"(页\par }})",
};

// What follows "\cellx<right edge>": the border definition of the next cell.
const char16_t* const NEXT_CELL_BORDERS = uR"(\clvertalc\clbrdrt\brdrs\clbrdrl\brdrs\clbrdrb\brdrs\clbrdrr\brdrs)";

std::u16string Number(int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// Replaces every occurrence of from in text by to, scanning left to right and
// never looking again at replaced text.
void ReplaceAll(std::u16string& text, const std::u16string& from, const std::u16string& to)
{
    std::size_t at = 0;
    while ((at = text.find(from, at)) != std::u16string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// RTF's Unicode escape for one UTF-16 unit: "\u" with the unit as a signed
// 16-bit number, then the two fallback bytes announced by \uc2.
std::u16string UnicodeEscape(char16_t unit)
{
    return u"\\u" + Number(static_cast<int16_t>(unit)) + u"??";
}

}  // namespace

std::u16string RtfCellText(const std::u16string& text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            if (unit == u'\\' || unit == u'{' || unit == u'}')
                out += u'\\';
            out += unit;
            ++i;
            continue;
        }
        // One character: a surrogate pair, or a single unit (an unpaired
        // surrogate stands alone and has no code-page-936 form).
        std::size_t length = 1;
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            length = 2;
        const std::u16string character = text.substr(i, length);
        // The conversion writes "?" for a character it cannot hold; a real "?"
        // was dealt with above.
        if (Utf16ToCp936(character) != "?") {
            out += character;
        } else {
            for (char16_t each : character)
                out += UnicodeEscape(each);
        }
        i += length;
    }
    return out;
}

void RtfDocument::Create(const std::string& path)
{
    m_path = path;
}

void RtfDocument::Begin()
{
    m_file.Open(m_path);
    for (const char16_t* line : PROLOGUE)
        Write(std::u16string(line) + u"\n");
}

void RtfDocument::PageHeader(const std::u16string& title)
{
    Write(uR"(\pard\plain \qc\fs21\kerning2\f15\cgrid)" u"\n");
    Write(uR"({\b\i\fs36\super {\field}}{\b\fs36\f15  })" u"\n");
    Write(uR"({\headerr \qc \brdrb\brdrs {\fs20\f15 Trevak线材下料优化----)");
    Write(title);
    Write(uR"(\par }})" u"\n");
    Write(uR"({\footerr \qr {\fs20\f15 第)" u"\n");
    for (const char16_t* line : FOOTER_FIELDS)
        Write(std::u16string(line) + u"\n");
    Write(uR"(\qc{\b\fs28\f15)");
    Write(title);
    Write(uR"(}\par)" u"\n");
}

void RtfDocument::TitleParagraph(const std::u16string& title)
{
    // Literal braces first, so that the braces the markers produce stay.
    std::u16string escaped = title;
    ReplaceAll(escaped, u"{", uR"(\{)");
    ReplaceAll(escaped, u"}", uR"(\})");
    ReplaceAll(escaped, u"[MSUB_", uR"({\sub )");
    ReplaceAll(escaped, u"[MSUPER_", uR"({\super )");
    ReplaceAll(escaped, u"_EE]", u"}");
    Write(uR"(\qc{\fs28\f15\b)" + escaped + uR"(}{\par})" u"\n");
}

void RtfDocument::RowStart(int left)
{
    Write(uR"(\trowd\trgaph28\trleft)" + Number(left) +
          uR"(\trbrdrt\brdrs\trbrdrl\brdrs\trbrdrb\brdrs\trbrdrr\brdrs\trbrdrh\brdrs\trbrdrv\brdrs)"
          uR"(\clvertalc\clbrdrt\brdrs\clbrdrl\brdrs\clbrdrb\brdrs\clbrdrr)" u"\n");
    Write(uR"(\clvertalc\clbrdrt\clbrdrl\brdrs\clbrdrb\brdrs\clbrdrr\brdrs)" u"\n");
}

void RtfDocument::Cell(int rightEdge, int mergeMode, int shading)
{
    std::u16string line;
    if (shading > 0)
        line += uR"(\clcbpat)" + Number(shading);
    if (mergeMode == 1)
        line += uR"(\clvmgf)";
    else if (mergeMode == 2)
        line += uR"(\clvmrg)";
    line += uR"(\brdrs\cellx)" + Number(rightEdge) + NEXT_CELL_BORDERS + u"\n";
    Write(line);
}

void RtfDocument::PlanRowLayout(bool withMarks, int mergeMode, int shading)
{
    // 序号, 规 格, 原料长度, 数量, 利用率, 余长: merged blocks of one mark record.
    static const int MERGED_EDGES[] = {750, 2400, 3700, 4600, 5700, 6800};
    RowStart(0);
    for (int edge : MERGED_EDGES)
        Cell(edge, mergeMode, shading);
    Cell(8600, 0, shading);  // 下料组合
    if (withMarks)
        Cell(9600, 0, shading);  // 标记
}

void RtfDocument::RowContent(const std::vector<std::u16string>& cells, bool bold)
{
    std::u16string line = uR"(\pard\qc\fs22\intbl )";
    for (const std::u16string& cell : cells)
        line += (bold ? uR"({\f15\b )" : uR"({\f15 )") + cell + uR"(}{\cell })";
    line += uR"({\row})" u"\n";
    Write(line);
}

void RtfDocument::Write(const std::u16string& text)
{
    m_file.Write(text);
}

void RtfDocument::EndTable()
{
    Write(uR"(\pard{\par})" u"\n");
}

bool RtfDocument::End(bool open)
{
    Write(u"}\n");
    const bool written = m_file.Finish(true);
    if (open)
        OpenWithShell(m_path);
    return written;
}
