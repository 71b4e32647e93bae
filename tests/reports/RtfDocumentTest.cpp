#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Codepage.h"
#include "base/Messages.h"
#include "base/ReportConventions.h"
#include "reports/RtfDocument.h"
#include "support/ReportFixture.h"
#include "support/TempFolder.h"
#include "support/Text.h"

namespace {

// 宋体 in code page 936: 宋 = CB CE, 体 = CC E5.
#define SONGTI "\xCB\xCE\xCC\xE5"
// The full-width full stop U+FF0E in code page 936.
#define FULL_STOP "\xA3\xAE"

// The nineteen prologue lines as bytes, each ending in CR LF.
const std::string PROLOGUE_BYTES =
    R"({\rtf1\ansi\ansicpg936\uc2 \deff15\deflang1033\deflangfe2052)" "\r\n"
    R"({\fonttbl{\f0\froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;})" "\r\n"
    R"({\f15\fnil\fcharset134\fprq2{\*\panose 02010600030101010101})" SONGTI ";}\r\n"
    R"({\f41\fnil\fcharset134\fprq2{\*\panose 02010600030101010101}@)" SONGTI ";}\r\n"
    R"({\f62\froman\fcharset238\fprq2 Times New Roman CE;})" "\r\n"
    R"({\f63\froman\fcharset204\fprq2 Times New Roman Cyr;})" "\r\n"
    R"({\f65\froman\fcharset161\fprq2 Times New Roman Greek;})" "\r\n"
    R"({\f66\froman\fcharset162\fprq2 Times New Roman Tur;})" "\r\n"
    R"({\f67\froman\fcharset186\fprq2 Times New Roman Baltic;})" "\r\n"
    R"({\f154\fnil\fcharset0\fprq2 )" SONGTI R"(;}{\f310\fnil\fcharset0\fprq2 @)" SONGTI ";}}\r\n"
    R"({\colortbl;\red255\green255\blue204;\red204\green255\blue255;\red0\green255\blue255;)" "\r\n"
    R"(\red0\green255\blue0;\red255\green0\blue255;\red255\green0\blue0;)" "\r\n"
    R"(\red255\green255\blue0;\red255\green255\blue255;\red0\green0\blue128;)" "\r\n"
    R"(\red0\green128\blue128;\red0\green128\blue0;\red128\green0\blue128;\red128\green0\blue0;)"
    R"(\red128\green128\blue0;\red128\green128\blue128;\red192\green192\blue192;})" "\r\n"
    R"({\stylesheet{)" "\r\n"
    R"(\qj\fs21\kerning2\f15\cgrid \snext0 Normal;}{\*\cs10 \additive Default Paragraph Font;}})" "\r\n"
    R"({\*\listtable{\list\listtemplateid1300418492\listsimple{\listlevel\levelnfc0\leveljc0)" "\r\n"
    R"(\levelfollow0\levelstartat1\levelspace0\levelindent0{\leveltext\'02\'00)" FULL_STOP ";}\r\n"
    R"({\levelnumbers\'01;}\fbias1 \fi-285\li705\jclisttab\tx705 }{\listname ;}\listid1591161316}})"
    R"({\*\listoverridetable{\listoverride\listid1591161316\listoverridecount0\ls1}})" "\r\n";

// The border definition that follows every "\cellx<edge>".
const std::string NEXT_BORDERS = R"(\clvertalc\clbrdrt\brdrs\clbrdrl\brdrs\clbrdrb\brdrs\clbrdrr\brdrs)";

class RtfDocumentTest : public RecordingReportTest {
protected:
    // What steps write between the prologue and the closing "}" of a document.
    std::string Body(const std::function<void(RtfDocument&)>& steps)
    {
        const std::string path = m_folder.File("body.doc");
        RtfDocument document;
        document.Create(path);
        document.Begin();
        steps(document);
        EXPECT_TRUE(document.End(false));
        const std::string bytes = TempFolder::ReadFile(path);
        const std::string closing = "}\r\n";
        if (bytes.size() < PROLOGUE_BYTES.size() + closing.size() ||
            bytes.compare(0, PROLOGUE_BYTES.size(), PROLOGUE_BYTES) != 0 ||
            bytes.compare(bytes.size() - closing.size(), closing.size(), closing) != 0) {
            ADD_FAILURE() << "not framed by the prologue and the closing brace: " << bytes;
            return std::string();
        }
        return bytes.substr(PROLOGUE_BYTES.size(), bytes.size() - PROLOGUE_BYTES.size() - closing.size());
    }
};

TEST_F(RtfDocumentTest, CreateWritesNothingAndBeginWritesTheNineteenPrologueLines)
{
    const std::string path = m_folder.File("prologue.doc");
    RtfDocument document;
    document.Create(path);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path)));
    document.Begin();
    EXPECT_TRUE(document.End(false));
    // The document group opened on the first line is closed by End.
    EXPECT_EQ(TempFolder::ReadFile(path), PROLOGUE_BYTES + "}\r\n");
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(RtfDocumentTest, PageHeaderCarriesTheTitleUnescapedInHeaderAndTitleLine)
{
    const std::string body = Body([](RtfDocument& document) { document.PageHeader(u"余料{1}"); });
    const std::string expected = Gbk(
        uR"(\pard\plain \qc\fs21\kerning2\f15\cgrid)" u"\r\n"
        uR"({\b\i\fs36\super {\field}}{\b\fs36\f15  })" u"\r\n"
        uR"({\headerr \qc \brdrb\brdrs {\fs20\f15 Trevak线材下料优化----余料{1}\par }})" u"\r\n"
        uR"({\footerr \qr {\fs20\f15 第)" u"\r\n"
        uR"({\field{\*\fldinst {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \kerning0\insrsid1983776 \hich\af0\dbch\af13)"
        uR"(\loch\f13  PAGE }}{\fldrslt {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \lang1024)" u"\r\n"
        uR"(\langfe1024\kerning0\noproof\insrsid1983776 \hich\af0\dbch\af13\loch\f13 2}}})" u"\r\n"
        uR"(页/共)" u"\r\n"
        uR"({\field{\*\fldinst {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \kerning0\insrsid1983776 \hich\af0\dbch\af13)"
        uR"(\loch\f13  NUMPAGES })" u"\r\n"
        uR"(}{\fldrslt {\rtlch\fcs1 \af13\afs21 \ltrch\fcs0 \lang1024\langfe1024\kerning0\noproof\insrsid1983776 )"
        uR"(\hich\af0\dbch\af13\loch\f13 3}}})" u"\r\n"
        uR"(页\par }})" u"\r\n"
        uR"(\qc{\b\fs28\f15余料{1}}\par)" u"\r\n");
    EXPECT_EQ(body, expected);
    // The header line in bytes: Trevak, 线材下料优化 (CF DF B2 C4 CF C2 C1 CF D3 C5 BB AF), ----, 余料 (D3 E0 C1 CF).
    EXPECT_NE(body.find("{\\fs20\\f15 Trevak\xCF\xDF\xB2\xC4\xCF\xC2\xC1\xCF\xD3\xC5\xBB\xAF----\xD3\xE0\xC1\xCF{1}"
                        "\\par }}\r\n"),
              std::string::npos);
}

TEST_F(RtfDocumentTest, TitleParagraphEscapesBracesBeforeTurningMarkersIntoRuns)
{
    EXPECT_EQ(Body([](RtfDocument& document) { document.TitleParagraph(u"所用原料统计"); }),
              Gbk(uR"(\qc{\fs28\f15\b所用原料统计}{\par})" u"\r\n"));
    // Literal braces are shown as braces; the subscript marker's braces are RTF groups.
    EXPECT_EQ(Body([](RtfDocument& document) { document.TitleParagraph(u"{A}[MSUB_2_EE]"); }),
              R"(\qc{\fs28\f15\b\{A\}{\sub 2}}{\par})" "\r\n");
    EXPECT_EQ(Body([](RtfDocument& document) { document.TitleParagraph(u"m[MSUPER_2_EE] x[MSUB_i_EE]"); }),
              R"(\qc{\fs28\f15\bm{\super 2} x{\sub i}}{\par})" "\r\n");
    // A brace inside a run is escaped; only the marker's braces stay RTF groups.
    EXPECT_EQ(Body([](RtfDocument& document) { document.TitleParagraph(u"[MSUB_{_EE]"); }),
              R"(\qc{\fs28\f15\b{\sub \{}}{\par})" "\r\n");
}

TEST_F(RtfDocumentTest, RowStartCarriesAllSixRowBordersAndTheFirstCellBorders)
{
    const std::string expected0 =
        R"(\trowd\trgaph28\trleft0\trbrdrt\brdrs\trbrdrl\brdrs\trbrdrb\brdrs\trbrdrr\brdrs\trbrdrh\brdrs\trbrdrv\brdrs)"
        R"(\clvertalc\clbrdrt\brdrs\clbrdrl\brdrs\clbrdrb\brdrs\clbrdrr)" "\r\n"
        R"(\clvertalc\clbrdrt\clbrdrl\brdrs\clbrdrb\brdrs\clbrdrr\brdrs)" "\r\n";
    EXPECT_EQ(Body([](RtfDocument& document) { document.RowStart(0); }), expected0);

    const std::string body = Body([](RtfDocument& document) { document.RowStart(3500); });
    EXPECT_EQ(body.rfind(R"(\trowd\trgaph28\trleft3500\trbrdrt)", 0), 0u);
    EXPECT_EQ(body.size(), expected0.size() + 3);  // "3500" in place of "0"
}

TEST_F(RtfDocumentTest, CellsCarryShadingOnlyAboveZeroAndTheirMergeMode)
{
    struct Case {
        int mergeMode;
        int shading;
        std::string line;
    };
    const std::vector<Case> cases = {
        {0, 0, R"(\brdrs\cellx750)" + NEXT_BORDERS},
        {0, 1, R"(\clcbpat1\brdrs\cellx750)" + NEXT_BORDERS},
        {0, 2, R"(\clcbpat2\brdrs\cellx750)" + NEXT_BORDERS},
        {1, 0, R"(\clvmgf\brdrs\cellx750)" + NEXT_BORDERS},
        {1, 2, R"(\clcbpat2\clvmgf\brdrs\cellx750)" + NEXT_BORDERS},
        {2, 0, R"(\clvmrg\brdrs\cellx750)" + NEXT_BORDERS},
        {2, 1, R"(\clcbpat1\clvmrg\brdrs\cellx750)" + NEXT_BORDERS},
        // Any other merge mode is an ordinary cell.
        {3, 0, R"(\brdrs\cellx750)" + NEXT_BORDERS},
    };
    for (const Case& each : cases) {
        EXPECT_EQ(Body([&](RtfDocument& document) { document.Cell(750, each.mergeMode, each.shading); }),
                  each.line + "\r\n")
            << "merge mode " << each.mergeMode << ", shading " << each.shading;
    }
}

TEST_F(RtfDocumentTest, PlanRowLayoutMergesTheFirstSixColumnsOnly)
{
    const std::string rowStart =
        Body([](RtfDocument& document) { document.RowStart(0); });  // checked byte by byte above
    const std::string withMarks = Body([](RtfDocument& document) { document.PlanRowLayout(true, 1, 2); });
    EXPECT_EQ(withMarks, rowStart + R"(\clcbpat2\clvmgf\brdrs\cellx750)" + NEXT_BORDERS + "\r\n" +
                             R"(\clcbpat2\clvmgf\brdrs\cellx2400)" + NEXT_BORDERS + "\r\n" +
                             R"(\clcbpat2\clvmgf\brdrs\cellx3700)" + NEXT_BORDERS + "\r\n" +
                             R"(\clcbpat2\clvmgf\brdrs\cellx4600)" + NEXT_BORDERS + "\r\n" +
                             R"(\clcbpat2\clvmgf\brdrs\cellx5700)" + NEXT_BORDERS + "\r\n" +
                             R"(\clcbpat2\clvmgf\brdrs\cellx6800)" + NEXT_BORDERS + "\r\n" +
                             R"(\clcbpat2\brdrs\cellx8600)" + NEXT_BORDERS + "\r\n" +
                             R"(\clcbpat2\brdrs\cellx9600)" + NEXT_BORDERS + "\r\n");

    const std::string withoutMarks = Body([](RtfDocument& document) { document.PlanRowLayout(false, 2, 0); });
    EXPECT_EQ(withoutMarks, rowStart + R"(\clvmrg\brdrs\cellx750)" + NEXT_BORDERS + "\r\n" +
                                R"(\clvmrg\brdrs\cellx2400)" + NEXT_BORDERS + "\r\n" +
                                R"(\clvmrg\brdrs\cellx3700)" + NEXT_BORDERS + "\r\n" +
                                R"(\clvmrg\brdrs\cellx4600)" + NEXT_BORDERS + "\r\n" +
                                R"(\clvmrg\brdrs\cellx5700)" + NEXT_BORDERS + "\r\n" +
                                R"(\clvmrg\brdrs\cellx6800)" + NEXT_BORDERS + "\r\n" +
                                R"(\brdrs\cellx8600)" + NEXT_BORDERS + "\r\n");
}

TEST_F(RtfDocumentTest, RowContentWriteAndEndTableWriteTheirTextsUnchanged)
{
    EXPECT_EQ(Body([](RtfDocument& document) { document.RowContent({u"1", u"", u"6000"}, false); }),
              R"(\pard\qc\fs22\intbl {\f15 1}{\cell }{\f15 }{\cell }{\f15 6000}{\cell }{\row})" "\r\n");
    EXPECT_EQ(Body([](RtfDocument& document) { document.RowContent({u"汇 总", u"6"}, true); }),
              Gbk(uR"(\pard\qc\fs22\intbl {\f15\b 汇 总}{\cell }{\f15\b 6}{\cell }{\row})" u"\r\n"));
    // Write escapes nothing; a character without a code-page-936 form becomes "?" there.
    EXPECT_EQ(Body([](RtfDocument& document) { document.Write(u"{\\b x}\n\u0E01"); }), "{\\b x}\r\n?");
    EXPECT_EQ(Body([](RtfDocument& document) { document.EndTable(); }), "\\pard{\\par}\r\n");
}

TEST(RtfCellTextTest, EscapesRtfSpecialsAndWritesForeignCharactersAsUnicodeEscapes)
{
    EXPECT_EQ(RtfCellText(u""), u"");
    EXPECT_EQ(RtfCellText(u"HRB400 6000"), u"HRB400 6000");
    EXPECT_EQ(RtfCellText(u"a{b}c\\d"), uR"(a\{b\}c\\d)");
    EXPECT_EQ(RtfCellText(u"\\{"), uR"(\\\{)");
    // Characters that code page 936 holds stay as they are, "?" included.
    EXPECT_EQ(RtfCellText(u"订单1 Φ12 ？?"), u"订单1 Φ12 ？?");
    // The euro sign is in code page 936 (byte 80).
    EXPECT_EQ(RtfCellText(u"\u20AC"), u"\u20AC");
    // Thai ko kai U+0E01 = 3585 has no code-page-936 form.
    EXPECT_EQ(RtfCellText(u"A\u0E01B"), uR"(A\u3585??B)");
    // U+1F600 is the surrogate pair D83D DE00; as signed 16-bit numbers
    // 0xD83D - 0x10000 = -10179 and 0xDE00 - 0x10000 = -8704.
    EXPECT_EQ(RtfCellText(u"\U0001F600"), uR"(\u-10179??\u-8704??)");
    // An unpaired surrogate is escaped on its own: 0xDC00 - 0x10000 = -9216.
    const std::u16string lone(1, static_cast<char16_t>(0xDC00));
    EXPECT_EQ(RtfCellText(u"x" + lone + u"y"), uR"(x\u-9216??y)");
    // Hangul, which code page 936 lacks, lies above 0x7FFF: U+AC00 gives 0xAC00 - 0x10000 = -21504.
    EXPECT_EQ(RtfCellText(u"\uAC00"), uR"(\u-21504??)");
}

TEST_F(RtfDocumentTest, CellTextsKeepChineseAsPlainGbkBytes)
{
    const std::string body = Body([](RtfDocument& document) {
        document.RowContent({RtfCellText(u"订单{1}\u0E01")}, false);
    });
    // 订 = B6 A9, 单 = B5 A5; the braces escaped; the Thai letter as \u3585 with two fallback bytes.
    EXPECT_EQ(body, "\\pard\\qc\\fs22\\intbl {\\f15 \xB6\xA9\xB5\xA5\\{1\\}\\u3585??}{\\cell }{\\row}\r\n");
}

TEST_F(RtfDocumentTest, EndOpensThePathUnlessAskedNotTo)
{
    const std::string path = m_folder.File("opened.doc");
    RtfDocument document;
    document.Create(path);
    document.Begin();
    EXPECT_TRUE(document.End());
    ASSERT_EQ(m_opener.m_shell.size(), 1u);
    EXPECT_EQ(m_opener.m_shell[0], path);
    EXPECT_TRUE(m_opener.m_textEditor.empty());

    RtfDocument quiet;
    quiet.Create(m_folder.File("quiet.doc"));
    quiet.Begin();
    EXPECT_TRUE(quiet.End(false));
    EXPECT_EQ(m_opener.m_shell.size(), 1u);
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(RtfDocumentTest, AFileThatCannotBeWrittenShowsTheMessageAndIsOpenedAllTheSame)
{
    const std::string path = m_folder.File("missing-folder/plan.doc");
    RtfDocument document;
    document.Create(path);
    document.Begin();
    document.PageHeader(u"下料组合统计");
    document.EndTable();
    EXPECT_FALSE(document.End());
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0], u"文件 < " + Utf8ToUtf16(path) + u" > 写入有误，请检查文件是否被锁定或被打开状态 ！");
    ASSERT_EQ(m_opener.m_shell.size(), 1u);
    EXPECT_EQ(m_opener.m_shell[0], path);

    // Without opening, the message is still shown.
    RtfDocument quiet;
    quiet.Create(path);
    quiet.Begin();
    EXPECT_FALSE(quiet.End(false));
    EXPECT_EQ(m_sink.m_messages.size(), 2u);
    EXPECT_EQ(m_opener.m_shell.size(), 1u);
}

}  // namespace
