#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Codepage.h"
#include "exchange/TextListFile.h"
#include "lists/InputLists.h"
#include "support/TempFolder.h"

namespace {

using Fields = std::vector<std::u16string>;

// ---------------------------------------------------------------- splitting

TEST(SplitListLineTest, RunsOfSeparatorsMakeOneSeparator)
{
    EXPECT_EQ(SplitListLine(u"Type_1\t985\t\t20"), (Fields{u"Type_1", u"985", u"20"}));
    EXPECT_EQ(SplitListLine(u"Type_1 \t ? 985"), (Fields{u"Type_1", u"985"}));
}

TEST(SplitListLineTest, LeadingAndTrailingSeparatorsMakeNoEmptyField)
{
    EXPECT_EQ(SplitListLine(u"  \tA B\t "), (Fields{u"A", u"B"}));
    EXPECT_TRUE(SplitListLine(u"").empty());
    EXPECT_TRUE(SplitListLine(u" \t?\u3000 ").empty());
}

TEST(SplitListLineTest, QuestionMarksAndIdeographicBlanksSeparate)
{
    EXPECT_EQ(SplitListLine(u"Q235?6000?12"), (Fields{u"Q235", u"6000", u"12"}));
    EXPECT_EQ(SplitListLine(u"A\u3000\u3000100\u30003"), (Fields{u"A", u"100", u"3"}));
}

TEST(SplitListLineTest, OtherBlanksAreNotSeparators)
{
    // U+00A0 and CR belong to the field.
    EXPECT_EQ(SplitListLine(u"A\u00A0B C\r"), (Fields{u"A\u00A0B", u"C\r"}));
}

TEST(SplitListLineTest, FieldsAfterTheFourthAreIgnored)
{
    EXPECT_EQ(SplitListLine(u"Q235 6000 12 A 1 2 3"), (Fields{u"Q235", u"6000", u"12", u"A"}));
}

// ---------------------------------------------------------------- quantities

struct QuantityCase {
    std::u16string m_text;
    int32_t m_value;
    bool m_ok;
};

TEST(ParseQuantityTextTest, LeadingDigitsWithAnOptionalUnit)
{
    const QuantityCase cases[] = {
        {u"15", 15, true},
        {u"-3", -3, true},
        {u"0", 0, true},
        {u"007", 7, true},
        {u"20件", 20, true},  // a unit after the count is ignored
        {u"15块", 15, true},
        {u"12pcs", 12, true},
        {u"-0", 0, true},
        {u"2147483647", 2147483647, true},
        {u"-2147483648", -2147483647 - 1, true},
    };
    for (const QuantityCase& c : cases) {
        bool ok = false;
        EXPECT_EQ(ParseQuantityText(c.m_text, ok), c.m_value) << Utf16ToUtf8(c.m_text);
        EXPECT_EQ(ok, c.m_ok) << Utf16ToUtf8(c.m_text);
    }
}

TEST(ParseQuantityTextTest, TextsWithoutDigitsReadAsZero)
{
    // Zero is what a stock file means by unlimited and what a cut file rejects.
    for (const std::u16string text : {u"不限", u"", u"abc", u"-", u"∞"}) {
        bool ok = false;
        EXPECT_EQ(ParseQuantityText(text, ok), 0) << Utf16ToUtf8(text);
        EXPECT_TRUE(ok) << Utf16ToUtf8(text);
    }
}

TEST(ParseQuantityTextTest, DigitsAwayFromTheStartAreNoQuantity)
{
    // Reading only some of the digits would silently change an order:
    // "1.5" is not 1 and not 15.
    for (const std::u16string text : {u"1.5", u"2x3", u"约20", u"20件3", u"+5", u"--5", u"1 2", u"２０", u"2０"}) {
        bool ok = true;
        EXPECT_EQ(ParseQuantityText(text, ok), 0) << Utf16ToUtf8(text);
        EXPECT_FALSE(ok) << Utf16ToUtf8(text);
    }
}

TEST(ParseQuantityTextTest, ValuesOutsideInt32AreNoQuantity)
{
    for (const std::u16string text : {u"2147483648", u"-2147483649", u"99999999999999999999999"}) {
        bool ok = true;
        ParseQuantityText(text, ok);
        EXPECT_FALSE(ok) << Utf16ToUtf8(text);
    }
}

// ---------------------------------------------------------------- file names

TEST(IsSpreadsheetNameTest, ContainsDotXlsAfterTheFirstCharacter)
{
    EXPECT_TRUE(IsSpreadsheetName("list.xls"));
    EXPECT_TRUE(IsSpreadsheetName("/home/u/List.XLSX"));
    EXPECT_TRUE(IsSpreadsheetName("list.XLS.txt"));   // containing, not ending with
    EXPECT_TRUE(IsSpreadsheetName("/d/a.xls.bak/b.txt"));
    EXPECT_TRUE(IsSpreadsheetName("x.xLs"));
    EXPECT_TRUE(IsSpreadsheetName("下料.xls"));
    EXPECT_FALSE(IsSpreadsheetName(".xls"));  // at the first character only
    EXPECT_FALSE(IsSpreadsheetName("list.txt"));
    EXPECT_FALSE(IsSpreadsheetName("list.xl"));
    EXPECT_FALSE(IsSpreadsheetName("listxls"));
    EXPECT_FALSE(IsSpreadsheetName(""));
}

// ---------------------------------------------------------------- files

class TextListFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    // Imports bytes as a list file of kind into m_lists.
    TextImportReport Import(const std::string& bytes, ListKind kind)
    {
        const std::string path = m_folder.WriteFile("list.txt", bytes);
        TextFileReader reader;
        EXPECT_EQ(OpenTextList(path, reader), TextListOpenResult::Ok);
        return ReadTextList(reader, kind, m_lists);
    }

    void ExpectCutRow(std::size_t i, const std::u16string& spec, double length, int32_t quantity,
                      const std::u16string& mark)
    {
        ASSERT_LT(i, m_lists.CutRowCount());
        EXPECT_EQ(m_lists.m_cutSpec[i], spec) << "row " << i;
        EXPECT_EQ(m_lists.m_cutLength[i], length) << "row " << i;
        EXPECT_EQ(m_lists.m_cutQuantity[i], quantity) << "row " << i;
        EXPECT_EQ(m_lists.m_cutMark[i], mark) << "row " << i;
    }

    void ExpectStockRow(std::size_t i, const std::u16string& spec, double length, int32_t quantity, int32_t priority)
    {
        ASSERT_LT(i, m_lists.StockRowCount());
        EXPECT_EQ(m_lists.m_stockSpec[i], spec) << "row " << i;
        EXPECT_EQ(m_lists.m_stockLength[i], length) << "row " << i;
        EXPECT_EQ(m_lists.m_stockQuantity[i], quantity) << "row " << i;
        EXPECT_EQ(m_lists.m_stockPriority[i], priority) << "row " << i;
    }

    TempFolder m_folder;
    InputLists m_lists;
};

TEST_F(TextListFileTest, ReaderAcceptsLfAndCrLfAndALastLineWithoutLineFeed)
{
    const std::string path = m_folder.WriteFile("lines.txt", "a\r\nb\n\r\nc\rd\nlast");
    TextFileReader reader;
    ASSERT_TRUE(reader.Open(path));
    std::string line;
    const std::vector<std::string> expected = {"a", "b", "", "c", "d", "last"};  // a lone CR ends a line too
    for (const std::string& text : expected) {
        ASSERT_EQ(reader.ReadLine(line), ReadLineResult::Line);
        EXPECT_EQ(line, text);
    }
    EXPECT_EQ(reader.ReadLine(line), ReadLineResult::End);
    EXPECT_EQ(reader.ReadLine(line), ReadLineResult::End);
}

TEST_F(TextListFileTest, ReaderDropsACarriageReturnBeforeTheEnd)
{
    const std::string path = m_folder.WriteFile("cr.txt", "x\r");
    TextFileReader reader;
    ASSERT_TRUE(reader.Open(path));
    std::string line;
    ASSERT_EQ(reader.ReadLine(line), ReadLineResult::Line);
    EXPECT_EQ(line, "x");
}

TEST_F(TextListFileTest, ReaderLimitsLinesTo255BytesAndReadsOnAfterALongerOne)
{
    const std::string longest(255, 'a');
    const std::string tooLong(256, 'b');
    const std::string huge(1000000, 'c');
    const std::string path =
        m_folder.WriteFile("long.txt", longest + "\r\n" + tooLong + "\n" + huge + "\r\nnext\n" + longest + "\r");
    TextFileReader reader;
    ASSERT_TRUE(reader.Open(path));
    std::string line;
    // 255 bytes followed by CR LF: the CR does not count.
    ASSERT_EQ(reader.ReadLine(line), ReadLineResult::Line);
    EXPECT_EQ(line, longest);
    // 256 bytes: too long; its first 255 bytes are delivered.
    ASSERT_EQ(reader.ReadLine(line), ReadLineResult::TooLong);
    EXPECT_EQ(line, std::string(255, 'b'));
    ASSERT_EQ(reader.ReadLine(line), ReadLineResult::TooLong);
    EXPECT_EQ(line, std::string(255, 'c'));
    EXPECT_LE(line.capacity(), 1000u);  // the megabyte line was never held
    ASSERT_EQ(reader.ReadLine(line), ReadLineResult::Line);
    EXPECT_EQ(line, "next");
    ASSERT_EQ(reader.ReadLine(line), ReadLineResult::Line);  // 255 bytes and a CR at the end of the file
    EXPECT_EQ(line, longest);
    EXPECT_EQ(reader.ReadLine(line), ReadLineResult::End);
}

TEST_F(TextListFileTest, ReaderOfAnEmptyOrUnopenedFileHasNoLines)
{
    TextFileReader reader;
    std::string line;
    EXPECT_EQ(reader.ReadLine(line), ReadLineResult::End);
    ASSERT_TRUE(reader.Open(m_folder.WriteFile("empty.txt", "")));
    EXPECT_EQ(reader.ReadLine(line), ReadLineResult::End);
    EXPECT_FALSE(reader.Open(m_folder.File("missing.txt")));
}

TEST_F(TextListFileTest, Utf16FilesAreRefusedWithTheirMessages)
{
    TextFileReader reader;
    const std::string little = m_folder.WriteFile("le.txt", std::string("\xFF\xFE" "A\0 \0" "1\0", 8));
    EXPECT_EQ(OpenTextList(little, reader), TextListOpenResult::Utf16LE);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(TextListOpenMessage(TextListOpenResult::Utf16LE),
              u"该文本为 Unicode 格式 !\n\n请将该文本另存为 ANSI 格式后再进行导入 !");

    const std::string big = m_folder.WriteFile("be.txt", std::string("\xFE\xFF\0A\0 \0" "1", 8));
    EXPECT_EQ(OpenTextList(big, reader), TextListOpenResult::Utf16BE);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(TextListOpenMessage(TextListOpenResult::Utf16BE),
              u"该文本为 Unicode big endian 格式 !\n\n请将该文本另存为 ANSI 格式后再进行导入 !");

    // Two bytes are enough to be recognised.
    EXPECT_EQ(OpenTextList(m_folder.WriteFile("le2.txt", "\xFF\xFE"), reader), TextListOpenResult::Utf16LE);
    EXPECT_TRUE(TextListOpenMessage(TextListOpenResult::Ok).empty());
}

TEST_F(TextListFileTest, MissingFileCannotBeOpenedAndReadsAsNoLines)
{
    TextFileReader reader;
    EXPECT_EQ(OpenTextList(m_folder.File("missing.txt"), reader), TextListOpenResult::CannotOpen);
    const TextImportReport report = ReadTextList(reader, LIST_CUT, m_lists);
    EXPECT_EQ(report.m_lineCount, 0);
    EXPECT_EQ(m_lists.CutRowCount(), 0u);
}

TEST_F(TextListFileTest, FileShorterThanThreeBytesHasNoLines)
{
    // "A\n" would be a bad line (one field); a file this short is read as empty.
    const TextImportReport report = Import("A\n", LIST_CUT);
    EXPECT_EQ(report.m_lineCount, 0);
    EXPECT_EQ(report.m_badLineCount, 0);
}

TEST_F(TextListFileTest, FirstBytesAreReadAgainWithoutASignature)
{
    const TextImportReport report = Import("Q235 6000 12", LIST_CUT);
    EXPECT_EQ(report.m_goodRowCount, 1);
    ExpectCutRow(0, u"Q235", 6000, 12, u"");
}

TEST_F(TextListFileTest, Utf8SignatureIsSkippedAndTheRestReadAsUtf8)
{
    // 规格 in UTF-8 is E8 A7 84 E6 A0 BC; read as code page 936 it would be
    // three other characters.
    const std::string bytes = "\xEF\xBB\xBF" "\xE8\xA7\x84\xE6\xA0\xBC 2995 15 \xE8\xAE\xA2\xE5\x8D\x95" "1\r\n"
                              "bad\r\n";
    const TextImportReport report = Import(bytes, LIST_CUT);
    ExpectCutRow(0, u"规格", 2995, 15, u"订单1");
    // The first line after the signature is line 1.
    EXPECT_EQ(report.m_badLineText, u"以下各行数据格式有误:\n\n第2行: bad\n\n");
}

TEST_F(TextListFileTest, FileWithOnlyAUtf8SignatureHasNoLines)
{
    const TextImportReport report = Import("\xEF\xBB\xBF", LIST_STOCK);
    EXPECT_EQ(report.m_lineCount, 0);
}

TEST_F(TextListFileTest, CutLinesFollowTheLineRules)
{
    const std::string bytes =
        "Type_1\t985\t\t20\n"              // double tab: one separator
        "Q235 6000 12 A 1 2 3\n"           // seven fields: the mark is A
        "Q235?6000?12\n"                   // question marks separate
        "Type_1\xA1\xA1" "2995\xA1\xA1" "15\n"  // ideographic blanks (A1 A1)
        "S 2995.5mm 3\n"                   // the length stops where the number does
        "S 1e3 20\xBC\xFE\n"               // strtod reads exponents; 20件: a unit after the count
        "\n"                               // blank lines are passed over
        "  \t \n";
    const TextImportReport report = Import(bytes, LIST_CUT);
    EXPECT_EQ(report.m_badLineCount, 0);
    EXPECT_EQ(report.m_lineCount, 8);
    ASSERT_EQ(m_lists.CutRowCount(), 6u);
    ExpectCutRow(0, u"Type_1", 985, 20, u"");
    ExpectCutRow(1, u"Q235", 6000, 12, u"A");
    ExpectCutRow(2, u"Q235", 6000, 12, u"");
    ExpectCutRow(3, u"Type_1", 2995, 15, u"");
    ExpectCutRow(4, u"S", 2995.5, 3, u"");
    ExpectCutRow(5, u"S", 1000, 20, u"");
}

TEST_F(TextListFileTest, StockLinesFollowTheLineRules)
{
    const std::string bytes =
        "Type_1\t6000\t\xB2\xBB\xCF\xDE\t\t\xD3\xC5\xCF\xC8\n"  // 不限, 优先
        "Type_3 9000 0\n"                                       // 0 is unlimited
        "Type_3 9000 -5\n"                                      // stored as read
        "Type_2 12000 30 1\n"                                   // only 优先 gives priority
        "Type_2 12000 30 \xD3\xC5\xCF\xC8\xCA\xB9\xD3\xC3\n"    // 优先使用 is not 优先
        "Type_4 7000 8\n";
    const TextImportReport report = Import(bytes, LIST_STOCK);
    EXPECT_EQ(report.m_badLineCount, 0);
    ASSERT_EQ(m_lists.StockRowCount(), 6u);
    ExpectStockRow(0, u"Type_1", 6000, -1, 1);
    ExpectStockRow(1, u"Type_3", 9000, -1, 0);
    ExpectStockRow(2, u"Type_3", 9000, -5, 0);
    ExpectStockRow(3, u"Type_2", 12000, 30, 0);
    ExpectStockRow(4, u"Type_2", 12000, 30, 0);
    ExpectStockRow(5, u"Type_4", 7000, 8, 0);
}

TEST(AppendListLineTest, BadValuesMakeBadLines)
{
    struct Case {
        const char* m_line;
        ListKind m_kind;
    };
    const Case cases[] = {
        {"A 100", LIST_CUT},           // two fields
        {"A", LIST_STOCK},             // one field
        {"Type_3 9000 0", LIST_CUT},   // a cut quantity must be above 0
        {"S 100 -2", LIST_CUT},
        {"S 100 \xB2\xBB\xCF\xDE", LIST_CUT},  // 不限 reads as 0
        {"S abc 1", LIST_CUT},         // no number: length 0
        {"S 0 1", LIST_STOCK},
        {"S -6000 1", LIST_STOCK},
        {"S inf 1", LIST_CUT},         // strtod reads these, but they are no lengths
        {"S nan 1", LIST_STOCK},
        {"S 1e999 1", LIST_STOCK},
        {"S 100 1.5", LIST_CUT},       // not a quantity
        {"S 100 1.5", LIST_STOCK},     // ... and not unlimited either
        {"S 100 2x3", LIST_STOCK},
        {"S 100 99999999999", LIST_STOCK},
    };
    for (const Case& c : cases) {
        InputLists lists;
        EXPECT_EQ(AppendListLine(Cp936ToUtf16(c.m_line), c.m_kind, lists), ListLineResult::Bad) << c.m_line;
        EXPECT_EQ(lists.CutRowCount() + lists.StockRowCount(), 0u) << c.m_line;
    }
}

TEST_F(TextListFileTest, TextsLongerThan99UnitsMakeBadLines)
{
    const std::u16string spec99(99, u'规');
    const std::u16string spec100(100, u'规');
    const std::u16string mark99(99, u'm');
    const std::u16string mark100(100, u'm');
    EXPECT_EQ(AppendListLine(spec99 + u" 100 1", LIST_CUT, m_lists), ListLineResult::Good);
    EXPECT_EQ(AppendListLine(spec100 + u" 100 1", LIST_CUT, m_lists), ListLineResult::Bad);
    EXPECT_EQ(AppendListLine(spec100 + u" 100 1", LIST_STOCK, m_lists), ListLineResult::Bad);
    EXPECT_EQ(AppendListLine(u"S 100 1 " + mark99, LIST_CUT, m_lists), ListLineResult::Good);
    EXPECT_EQ(AppendListLine(u"S 100 1 " + mark100, LIST_CUT, m_lists), ListLineResult::Bad);
    // The fourth field of a stock line is only compared with 优先, never stored.
    EXPECT_EQ(AppendListLine(u"S 100 1 " + mark100, LIST_STOCK, m_lists), ListLineResult::Good);
    EXPECT_EQ(m_lists.CutRowCount(), 2u);
    EXPECT_EQ(m_lists.m_cutSpec[0], spec99);
    EXPECT_EQ(m_lists.m_cutMark[1], mark99);

    // Through a file: 100 x 规 is 200 bytes in code page 936, within the line limit.
    InputLists before = m_lists;
    const TextImportReport report = Import(Utf16ToCp936(spec100) + " 100 1\n", LIST_CUT);
    EXPECT_EQ(report.m_badLineCount, 1);
    EXPECT_EQ(m_lists.CutRowCount(), before.CutRowCount());
}

TEST_F(TextListFileTest, EightBadLinesReportTheFirstFiveAndOneLineOfDots)
{
    const std::string bytes =
        "A 100\n"                          // 1 bad: two fields
        "Type_1 2995 15\n"                 // 2 good
        "B 0 5\n"                          // 3 bad: length 0
        "\n"                               // 4 blank, counted but not bad
        "C 100 0\n"                        // 5 bad: cut quantity 0
        "D abc 1\r\n"                      // 6 bad: no length
        "E 100 1.5\n"                      // 7 bad: no quantity
        "F\n"                              // 8 bad: one field (not in the text: sixth bad line)
        "G 100 2x3\n"                      // 9 bad
        "H inf 3\n"                        // 10 bad
        "Type_2\t4280\t8\t\xB6\xA9\xB5\xA5" "2\n";  // 11 good, mark 订单2
    const TextImportReport report = Import(bytes, LIST_CUT);
    EXPECT_EQ(report.m_lineCount, 11);
    EXPECT_EQ(report.m_badLineCount, 8);
    EXPECT_EQ(report.m_goodRowCount, 2);
    EXPECT_EQ(report.m_badLineText, u"以下各行数据格式有误:\n\n"
                                    u"第1行: A 100\n\n"
                                    u"第3行: B 0 5\n\n"
                                    u"第5行: C 100 0\n\n"
                                    u"第6行: D abc 1\n\n"
                                    u"第7行: E 100 1.5\n\n"
                                    u"............\n");
    // The good rows stay.
    ASSERT_EQ(m_lists.CutRowCount(), 2u);
    ExpectCutRow(0, u"Type_1", 2995, 15, u"");
    ExpectCutRow(1, u"Type_2", 4280, 8, u"订单2");
}

TEST_F(TextListFileTest, BadLineTextShowsTheDecodedLineAsItStands)
{
    // Separators and CP936 text appear as in the file (the CR LF excepted).
    const TextImportReport report = Import("\xB9\xE6\xB8\xF1\t100\r\n", LIST_STOCK);  // 规格 <tab> 100
    EXPECT_EQ(report.m_badLineText, u"以下各行数据格式有误:\n\n第1行: 规格\t100\n\n");
}

TEST_F(TextListFileTest, NoBadLineNoReport)
{
    const TextImportReport report = Import("Type_1 2995 15\n", LIST_CUT);
    EXPECT_EQ(report.m_badLineCount, 0);
    EXPECT_TRUE(report.m_badLineText.empty());
}

TEST_F(TextListFileTest, ALongLineIsABadLineAndReadingGoesOn)
{
    const std::string longLine = std::string(300, 'x') + " 100 1";
    const std::string bytes = "Type_1 2995 15\n" + longLine + "\r\nType_1 4280 8\nType_2 1500 15";
    const TextImportReport report = Import(bytes, LIST_CUT);
    EXPECT_EQ(report.m_lineCount, 4);
    EXPECT_EQ(report.m_badLineCount, 1);
    // The report shows the first 255 bytes of the long line.
    EXPECT_EQ(report.m_badLineText, u"以下各行数据格式有误:\n\n第2行: " + std::u16string(255, u'x') + u"\n\n");
    ASSERT_EQ(m_lists.CutRowCount(), 3u);
    ExpectCutRow(2, u"Type_2", 1500, 15, u"");
}

TEST_F(TextListFileTest, ImportAppendsAfterTheRowsAlreadyThere)
{
    m_lists.AppendStockRow(u"Old", 5000, 3, 1);
    Import("New 6000 2\n", LIST_STOCK);
    ASSERT_EQ(m_lists.StockRowCount(), 2u);
    ExpectStockRow(0, u"Old", 5000, 3, 1);
    ExpectStockRow(1, u"New", 6000, 2, 0);
    EXPECT_EQ(m_lists.CutRowCount(), 0u);
}

// ---------------------------------------------------------------- reading whole files

TEST_F(TextListFileTest, ABareCarriageReturnEndsARowAsALineFeedDoes)
{
    // An old Mac file: "T 3000 1" must not disappear into the mark of the row before.
    const TextImportReport report = Import("A 100 1 x\rT 3000 1\rB 200 2\r", LIST_CUT);
    EXPECT_EQ(report.m_lineCount, 3);
    EXPECT_EQ(report.m_badLineCount, 0);
    ASSERT_EQ(m_lists.CutRowCount(), 3u);
    ExpectCutRow(0, u"A", 100, 1, u"x");
    ExpectCutRow(1, u"T", 3000, 1, u"");
    ExpectCutRow(2, u"B", 200, 2, u"");
}

TEST_F(TextListFileTest, BadLineReportsShowControlCharactersEscaped)
{
    // An escape sequence that would colour a terminal, a NUL and a DEL.
    const TextImportReport report = Import(std::string("A\x1b[31m 5\nB") + '\0' + "\x7F\n", LIST_CUT);
    EXPECT_EQ(report.m_badLineCount, 2);
    EXPECT_EQ(report.m_badLineText, u"以下各行数据格式有误:\n\n第1行: A\\x1B[31m 5\n\n第2行: B\\x00\\x7F\n\n");
    EXPECT_EQ(report.m_badLineText.find(u'\x1b'), std::u16string::npos);
    EXPECT_EQ(EscapeControls(u"tab\tstays"), u"tab\tstays");
    EXPECT_EQ(EscapeControls(u"c1\u009B"), u"c1\\x9B");
}

TEST_F(TextListFileTest, AFolderOrAReadErrorCannotBeOpenedAndSaysWhy)
{
    TextFileReader reader;
    EXPECT_EQ(OpenTextList(m_folder.File(""), reader), TextListOpenResult::CannotOpen);
    EXPECT_FALSE(reader.ReadError().empty());
#ifndef _WIN32
    if (std::filesystem::exists("/proc/self/mem")) {
        EXPECT_EQ(OpenTextList("/proc/self/mem", reader), TextListOpenResult::CannotOpen);
        EXPECT_FALSE(reader.ReadError().empty());
    }
#endif
}

TEST_F(TextListFileTest, ALineAboveTheReadLimitEndsTheReadAndTheRowsBeforeItStay)
{
    FileReadLimits limits;
    limits.m_maxLineBytes = 300;
    const std::string path = m_folder.WriteFile(
        "long.txt", "A 100 1\r\n" + std::string(280, 'x') + "\r\nB 200 2\n" + std::string(400, 'y') + "\nC 300 3\n");
    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader, limits), TextListOpenResult::Ok);
    EXPECT_EQ(reader.Stop(), TextReadStop::LineTooLong);
    const TextImportReport report = ReadTextList(reader, LIST_CUT, m_lists);
    // Line 2 (280 bytes) is a bad line as any line over 255 bytes; line 4
    // passes the read limit: it is bad, and line 5 is never read.
    ASSERT_EQ(m_lists.CutRowCount(), 2u);
    ExpectCutRow(0, u"A", 100, 1, u"");
    ExpectCutRow(1, u"B", 200, 2, u"");
    EXPECT_EQ(report.m_lineCount, 4);
    EXPECT_EQ(report.m_badLineCount, 2);
    EXPECT_NE(report.m_badLineText.find(u"第4行: " + std::u16string(255, u'y') + u"\n\n"), std::u16string::npos);
    EXPECT_EQ(report.m_stopText, u"第4行长于 1048576 字节，读取在此结束，该行及以后各行未读入 !\n");
    EXPECT_EQ(report.m_badLineText.substr(report.m_badLineText.size() - report.m_stopText.size()), report.m_stopText);
}

TEST_F(TextListFileTest, AFileAboveTheSizeLimitIsReadUpToTheLastWholeLine)
{
    FileReadLimits limits;
    limits.m_maxBytes = 20;
    // 8 + 8 bytes of whole lines, then the third line is cut at byte 20.
    const std::string path = m_folder.WriteFile("big.txt", "A 100 1\nB 200 2\nC 300 3\n");
    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader, limits), TextListOpenResult::Ok);
    EXPECT_EQ(reader.Stop(), TextReadStop::TooLarge);
    const TextImportReport report = ReadTextList(reader, LIST_CUT, m_lists);
    ASSERT_EQ(m_lists.CutRowCount(), 2u);
    ExpectCutRow(1, u"B", 200, 2, u"");
    EXPECT_EQ(report.m_badLineCount, 1);
    EXPECT_NE(report.m_badLineText.find(u"第3行: C 30\n\n"), std::u16string::npos);
    EXPECT_NE(report.m_stopText.find(u"读取在第3行结束"), std::u16string::npos);
    // A file of exactly the limit is read whole.
    TextFileReader exact;
    ASSERT_EQ(OpenTextList(m_folder.WriteFile("exact.txt", "A 100 1\nB 200 2\nC 3\n"), exact, limits),
              TextListOpenResult::Ok);
    EXPECT_EQ(exact.Stop(), TextReadStop::None);
}

#ifndef _WIN32
TEST_F(TextListFileTest, EndlessStreamsEndAtTheDefaultLimits)
{
    // /dev/zero is one endless line: the read ends after 1 MiB of it.
    TextFileReader reader;
    ASSERT_EQ(OpenTextList("/dev/zero", reader), TextListOpenResult::Ok);
    EXPECT_EQ(reader.Stop(), TextReadStop::LineTooLong);
    const TextImportReport report = ReadTextList(reader, LIST_STOCK, m_lists);
    EXPECT_EQ(m_lists.StockRowCount(), 0u);
    EXPECT_EQ(report.m_badLineCount, 1);
    EXPECT_NE(report.m_stopText.find(u"第1行长于"), std::u16string::npos);
}
#endif

// ---------------------------------------------------------------- encodings

TEST_F(TextListFileTest, Utf8WithoutSignatureIsReadAsUtf8)
{
    // What an editor on Linux writes: 肖121x6.0 with the mark 订单A, and the
    // Cyrillic Ф of the program's own default specification.
    Import("肖121x6.0 6000 3 订单A\nФ121x6.0\t5000\t2\n", LIST_CUT);
    ASSERT_EQ(m_lists.CutRowCount(), 2u);
    ExpectCutRow(0, u"肖121x6.0", 6000, 3, u"订单A");
    ExpectCutRow(1, u"Ф121x6.0", 5000, 2, u"");
    EXPECT_TRUE(LooksLikeUtf8("Φ12 ×"));
    EXPECT_FALSE(LooksLikeUtf8("plain ASCII 123"));  // nothing beyond ASCII: code page 936 as always
}

TEST_F(TextListFileTest, CodePage936TextsThatLookPartlyLikeUtf8StayCodePage936)
{
    // 联通 is C1 AA CD A8: CD A8 is a valid UTF-8 pair, C1 AA an overlong one.
    // 优先 is D3 C5 CF C8: D3 starts a UTF-8 pair, but C5 is no continuation.
    // 钢 is B8 D6: a continuation byte first. C2 80 (U+0080) is a control character.
    const std::vector<std::string> gbk = {"\xC1\xAA\xCD\xA8", "\xD3\xC5\xCF\xC8", "\xB8\xD6", "\xCD\xA8\xC2\x80"};
    for (const std::string& text : gbk)
        EXPECT_FALSE(LooksLikeUtf8(text)) << text;

    Import("S 6000 0 \xD3\xC5\xCF\xC8\nT 5000 2 \xC1\xAA\xCD\xA8\n", LIST_STOCK);
    ASSERT_EQ(m_lists.StockRowCount(), 2u);
    ExpectStockRow(0, u"S", 6000, -1, 1);
    ExpectStockRow(1, u"T", 5000, 2, 0);

    // Truncated, overlong, surrogate and out-of-range forms are not UTF-8.
    for (const std::string& bad : {std::string("\xE8\x82"), std::string("\xE0\x80\x80"), std::string("\xED\xA0\x80"),
                                   std::string("\xF4\x90\x80\x80"), std::string("\xC0\xAF")})
        EXPECT_FALSE(LooksLikeUtf8(bad));
    EXPECT_TRUE(LooksLikeUtf8("\xF0\x9F\x98\x80"));
}

TEST_F(TextListFileTest, WrittenListsStayCodePage936AndReadBackTheSame)
{
    m_lists.AppendCutRow(u"钢筋Φ12", 6000, 3, u"订单1");
    const std::string path = m_folder.File("out.txt");
    ASSERT_TRUE(WriteTextList(path, LIST_CUT, m_lists));
    const std::string bytes = TempFolder::ReadFile(path);
    EXPECT_EQ(bytes.substr(0, 4), Utf16ToCp936(u"钢筋"));
    EXPECT_FALSE(LooksLikeUtf8(bytes));
    InputLists back;
    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader), TextListOpenResult::Ok);
    EXPECT_EQ(reader.Encoding(), TextEncoding::Cp936);
    ReadTextList(reader, LIST_CUT, back);
    EXPECT_EQ(back.m_cutSpec, m_lists.m_cutSpec);
    EXPECT_EQ(back.m_cutMark, m_lists.m_cutMark);
}

TEST(ReplaceListQuestionTest, NamesTheList)
{
    EXPECT_EQ(ReplaceListQuestion(LIST_CUT), u"是否删除列表内已有下料信息?");
    EXPECT_EQ(ReplaceListQuestion(LIST_STOCK), u"是否删除列表内已有原料信息?");
}

// ---------------------------------------------------------------- export

TEST_F(TextListFileTest, CutListExportsWithThreeBlanksAndCrLf)
{
    m_lists.AppendCutRow(u"Type_1", 2995, 15, u"订单1");
    m_lists.AppendCutRow(u"Type_1", 4280, 8, u"");
    const std::string path = m_folder.File("cut.txt");
    ASSERT_TRUE(WriteTextList(path, LIST_CUT, m_lists));
    // 订单 = B6 A9 B5 A5; a row without a mark ends in three blanks.
    EXPECT_EQ(TempFolder::ReadFile(path), "Type_1   2995   15   \xB6\xA9\xB5\xA5" "1\r\n"
                                          "Type_1   4280   8   \r\n");

    InputLists back;
    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader), TextListOpenResult::Ok);
    EXPECT_EQ(ReadTextList(reader, LIST_CUT, back).m_badLineCount, 0);
    EXPECT_EQ(back.m_cutSpec, m_lists.m_cutSpec);
    EXPECT_EQ(back.m_cutLength, m_lists.m_cutLength);
    EXPECT_EQ(back.m_cutQuantity, m_lists.m_cutQuantity);
    EXPECT_EQ(back.m_cutMark, m_lists.m_cutMark);
}

TEST_F(TextListFileTest, StockListExportsUnlimitedAndPriority)
{
    m_lists.AppendStockRow(u"Type_1", 6000, -1, 1);
    m_lists.AppendStockRow(u"Type_2", 12000, 30, 0);
    m_lists.AppendStockRow(u"Type_3", 9000, -7, 0);  // a remembered count: still unlimited
    const std::string path = m_folder.File("stock.txt");
    ASSERT_TRUE(WriteTextList(path, LIST_STOCK, m_lists));
    // 不限 = B2 BB CF DE, 优先 = D3 C5 CF C8.
    EXPECT_EQ(TempFolder::ReadFile(path), "Type_1   6000   \xB2\xBB\xCF\xDE   \xD3\xC5\xCF\xC8\r\n"
                                          "Type_2   12000   30\r\n"
                                          "Type_3   9000   \xB2\xBB\xCF\xDE\r\n");

    InputLists back;
    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader), TextListOpenResult::Ok);
    EXPECT_EQ(ReadTextList(reader, LIST_STOCK, back).m_badLineCount, 0);
    EXPECT_EQ(back.m_stockSpec, m_lists.m_stockSpec);
    EXPECT_EQ(back.m_stockLength, m_lists.m_stockLength);
    EXPECT_EQ(back.m_stockQuantity, (std::vector<int32_t>{-1, 30, -1}));  // -7 comes back as plain unlimited
    EXPECT_EQ(back.m_stockPriority, m_lists.m_stockPriority);
}

TEST_F(TextListFileTest, LengthsReadBackExactly)
{
    // "%g" would write 1234567 as 1.23457e+06, which reads back as 1234570.
    const std::vector<double> lengths = {1234567.0, 2995.5, 0.1 + 0.2, 1.0 / 3.0, 12000.0};
    for (double length : lengths)
        m_lists.AppendCutRow(u"S", length, 1, u"");
    const std::string path = m_folder.File("exact.txt");
    ASSERT_TRUE(WriteTextList(path, LIST_CUT, m_lists));
    EXPECT_EQ(TempFolder::ReadFile(path).substr(0, 20), "S   1234567   1   \r\n");

    InputLists back;
    TextFileReader reader;
    ASSERT_EQ(OpenTextList(path, reader), TextListOpenResult::Ok);
    ReadTextList(reader, LIST_CUT, back);
    EXPECT_EQ(back.m_cutLength, lengths);
}

TEST_F(TextListFileTest, EmptyListWritesAnEmptyFile)
{
    const std::string path = m_folder.WriteFile("old.txt", "old content\r\n");
    EXPECT_TRUE(WriteTextList(path, LIST_STOCK, m_lists));
    EXPECT_EQ(TempFolder::ReadFile(path), "");
}

TEST_F(TextListFileTest, ExportIntoAMissingFolderFails)
{
    m_lists.AppendCutRow(u"S", 100, 1, u"");
    EXPECT_FALSE(WriteTextList(m_folder.File("missing/cut.txt"), LIST_CUT, m_lists));
}

}  // namespace
