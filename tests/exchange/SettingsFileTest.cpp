#include <atomic>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "base/Codepage.h"
#include "base/FormatLength.h"
#include "exchange/SettingsFile.h"
#include "lists/InputLists.h"
#include "support/ResourceLimits.h"
#include "support/TempFolder.h"
#include "support/Text.h"

namespace fs = std::filesystem;

namespace {


// The shortest text that reads back to the value (3.2 rather than 3.2000000000000002).
std::string Number(double value)
{
    std::string text;
    for (int precision = 6; precision <= 17; ++precision) {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out.precision(precision);
        out << value;
        text = out.str();
        std::istringstream in(text);
        in.imbue(std::locale::classic());
        double back = 0;
        if (in >> back && back == value)
            break;
    }
    return text;
}

// The lists and the record as readable lines, one per row, fields between "|":
//   cut|spec|length|quantity|mark, stock|spec|length|quantity|priority,
//   params|kerf|reserved value|reserved integer|length kinds|trim|speed.
std::string Describe(const InputLists& lists, const SettingsRecord& record)
{
    std::string text;
    for (std::size_t i = 0; i < lists.CutRowCount(); ++i) {
        text += "cut|" + Utf16ToUtf8(lists.m_cutSpec[i]) + "|" + Number(lists.m_cutLength[i]) + "|" +
                std::to_string(lists.m_cutQuantity[i]) + "|" + Utf16ToUtf8(lists.m_cutMark[i]) + "\n";
    }
    for (std::size_t i = 0; i < lists.StockRowCount(); ++i) {
        text += "stock|" + Utf16ToUtf8(lists.m_stockSpec[i]) + "|" + Number(lists.m_stockLength[i]) + "|" +
                std::to_string(lists.m_stockQuantity[i]) + "|" + std::to_string(lists.m_stockPriority[i]) + "\n";
    }
    text += "params|" + Number(record.m_kerfWidth) + "|" + Number(record.m_reservedValue) + "|" +
            std::to_string(record.m_reservedInteger) + "|" + std::to_string(record.m_maxLengthKinds) + "|" +
            Number(record.m_trimLength) + "|" + std::to_string(record.m_speedLevel) + "\n";
    return text;
}

const char* const DEFAULT_PARAMS = "params|10|10|0|0|0|1\n";

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    // Loads bytes written as a settings file; the description of what was read.
    std::string LoadBytes(const std::string& bytes)
    {
        const std::string path = m_folder.WriteFile("QRMCfg.txt", bytes);
        InputLists lists;
        SettingsRecord record;
        EXPECT_TRUE(LoadSettings(path, lists, record));
        return Describe(lists, record);
    }

    // Saves, then loads into fresh lists; the description of what came back.
    std::string RoundTrip(const InputLists& lists, const SettingsRecord& record)
    {
        const std::string path = m_folder.File("QRMCfg.txt");
        EXPECT_TRUE(SaveSettings(path, lists, record));
        InputLists back;
        SettingsRecord backRecord;
        EXPECT_TRUE(LoadSettings(path, back, backRecord));
        return Describe(back, backRecord);
    }

    TempFolder m_folder;
};

// The example of the file format: two cut rows, one unlimited stock row and
// the default parameters.
InputLists ExampleLists()
{
    InputLists lists;
    lists.AppendCutRow(u"Type_1", 2995, 15, u"订单1");
    lists.AppendCutRow(u"Type_1", 985, 20, u"");
    lists.AppendStockRow(u"Type_1", 6000, -1, 1);
    return lists;
}

const char* const EXAMPLE_FILE =
    "20260430\r\n"
    "2\r\n"
    "2995  15  Type_1  \xB6\xA9\xB5\xA5" "1\r\n"  // 订单1: 订 = B6 A9, 单 = B5 A5
    "985  20  Type_1  QQWWSSAA1122\r\n"
    "1\r\n"
    "6000  -1  Type_1  1\r\n"
    "10\r\n"
    "10\r\n"
    "0\r\n"
    "0\r\n"
    "0\r\n"
    "1\r\n";

const char* const EXAMPLE_DESCRIPTION =
    "cut|Type_1|2995|15|订单1\n"
    "cut|Type_1|985|20|\n"
    "stock|Type_1|6000|-1|1\n";

// ---------------------------------------------------------------------------
// Writing

TEST_F(SettingsFileTest, WritesTheCurrentLayoutByteForByte)
{
    const std::string path = m_folder.File("QRMCfg.txt");
    ASSERT_TRUE(SaveSettings(path, ExampleLists(), SettingsRecord()));
    EXPECT_EQ(TempFolder::ReadFile(path), EXAMPLE_FILE);
}

TEST_F(SettingsFileTest, RealsAreWrittenInTheShortestExactForm)
{
    InputLists lists;
    lists.AppendCutRow(u"A", 1234567, 1, u"");    // six significant digits would make it 1234570
    lists.AppendCutRow(u"A", 1234.5, 2, u"");
    lists.AppendCutRow(u"A", 0.1 + 0.2, 3, u"");  // 0.30000000000000004, not 0.3
    lists.AppendCutRow(u"A", 12345678.9, 4, u"");
    lists.AppendStockRow(u"A", 2995, 5, 0);
    lists.AppendStockRow(u"A", 1e20, 6, 0);
    SettingsRecord record;
    record.m_kerfWidth = 0.5;
    record.m_reservedValue = -3.25;
    record.m_trimLength = 1e-7;
    const std::string path = m_folder.File("QRMCfg.txt");
    ASSERT_TRUE(SaveSettings(path, lists, record));
    EXPECT_EQ(TempFolder::ReadFile(path),
              "20260430\r\n4\r\n"
              "1234567  1  A  QQWWSSAA1122\r\n"
              "1234.5  2  A  QQWWSSAA1122\r\n"
              "0.30000000000000004  3  A  QQWWSSAA1122\r\n"
              "12345678.9  4  A  QQWWSSAA1122\r\n"
              "2\r\n"
              "2995  5  A  0\r\n"
              "1e+20  6  A  0\r\n"
              "0.5\r\n-3.25\r\n0\r\n0\r\n1e-07\r\n1\r\n");

    InputLists back;
    SettingsRecord backRecord;
    ASSERT_TRUE(LoadSettings(path, back, backRecord));
    EXPECT_EQ(back.m_cutLength, lists.m_cutLength);
    EXPECT_EQ(back.m_stockLength, lists.m_stockLength);
    EXPECT_EQ(backRecord.m_kerfWidth, 0.5);
    EXPECT_EQ(backRecord.m_reservedValue, -3.25);
    EXPECT_EQ(backRecord.m_trimLength, 1e-7);
}

TEST_F(SettingsFileTest, ValuesThatAreNotFiniteAreWrittenAsZero)
{
    InputLists lists;
    lists.AppendCutRow(u"A", std::numeric_limits<double>::quiet_NaN(), 1, u"");
    lists.AppendCutRow(u"A", 2000, 2, u"");
    lists.AppendStockRow(u"A", std::numeric_limits<double>::infinity(), 1, 0);
    SettingsRecord record;
    record.m_kerfWidth = -std::numeric_limits<double>::infinity();
    record.m_speedLevel = 4;
    // The file stays readable to its end: the row after the bad one and the
    // parameters come back.
    EXPECT_EQ(RoundTrip(lists, record), "cut|A|0|1|\n"
                                        "cut|A|2000|2|\n"
                                        "stock|A|0|1|0\n"
                                        "params|0|10|0|0|0|4\n");
}

// ---------------------------------------------------------------------------
// Round trips

TEST_F(SettingsFileTest, ListsAndParametersComeBackAsTheyWere)
{
    InputLists lists;
    lists.AppendCutRow(u"Ф121x6.0", 2995, 15, u"订单1");
    lists.AppendCutRow(u"Ф121x6.0", 985.5, 20, u"");  // empty mark
    lists.AppendCutRow(u"角钢", 1500, 3, u"QQWWSSAA1122");  // a mark typed as the empty-mark token
    lists.AppendCutRow(u"角钢", 1500, 0, u"批次-2");  // a quantity the next merge removes
    lists.AppendStockRow(u"Ф121x6.0", 6000, -7, 0);  // unlimited, last count 7
    lists.AppendStockRow(u"Ф121x6.0", 9000, 12, 1);  // "优先使用"
    lists.AppendStockRow(u"角钢", 12000, -1, 1);
    SettingsRecord record;
    record.m_kerfWidth = 3.2;
    record.m_reservedValue = 7.5;
    record.m_reservedInteger = -42;
    record.m_maxLengthKinds = 3;
    record.m_trimLength = 15;
    record.m_speedLevel = 5;
    EXPECT_EQ(RoundTrip(lists, record), "cut|Ф121x6.0|2995|15|订单1\n"
                                        "cut|Ф121x6.0|985.5|20|\n"
                                        "cut|角钢|1500|3|\n"
                                        "cut|角钢|1500|0|批次-2\n"
                                        "stock|Ф121x6.0|6000|-7|0\n"
                                        "stock|Ф121x6.0|9000|12|1\n"
                                        "stock|角钢|12000|-1|1\n"
                                        "params|3.2|7.5|-42|3|15|5\n");
}

TEST_F(SettingsFileTest, ChineseTextsAreStoredInCodePage936)
{
    InputLists lists;
    lists.AppendCutRow(u"角钢", 100, 1, u"订单1");
    const std::string path = m_folder.File("QRMCfg.txt");
    ASSERT_TRUE(SaveSettings(path, lists, SettingsRecord()));
    const std::string bytes = TempFolder::ReadFile(path);
    EXPECT_NE(bytes.find(Gbk("100  1  角钢  订单1\r\n")), std::string::npos);
    EXPECT_EQ(bytes.find("\xE8\xA7\x92"), std::string::npos);  // no UTF-8 角
}

TEST_F(SettingsFileTest, EmptyListsRoundTrip)
{
    const std::string path = m_folder.File("QRMCfg.txt");
    ASSERT_TRUE(SaveSettings(path, InputLists(), SettingsRecord()));
    EXPECT_EQ(TempFolder::ReadFile(path), "20260430\r\n0\r\n0\r\n10\r\n10\r\n0\r\n0\r\n0\r\n1\r\n");
    EXPECT_EQ(RoundTrip(InputLists(), SettingsRecord()), DEFAULT_PARAMS);
}

// ---------------------------------------------------------------------------
// Texts the file cannot hold as they are

TEST_F(SettingsFileTest, WhiteSpaceInsideATextIsWrittenAsUnderscore)
{
    InputLists lists;
    lists.AppendCutRow(u"H 200x100", 100, 1, u"A\tB\r\nC");
    // Only what the reader splits at is replaced: U+3000 is one token character.
    lists.AppendStockRow(u"角\u3000钢", 6000, 1, 0);
    const std::string path = m_folder.File("QRMCfg.txt");
    ASSERT_TRUE(SaveSettings(path, lists, SettingsRecord()));
    EXPECT_NE(TempFolder::ReadFile(path).find("100  1  H_200x100  A_B__C\r\n"), std::string::npos);
    EXPECT_EQ(RoundTrip(lists, SettingsRecord()), std::string("cut|H_200x100|100|1|A_B__C\n"
                                                              "stock|角\u3000钢|6000|1|0\n") +
                                                      DEFAULT_PARAMS);
}

TEST_F(SettingsFileTest, EmptySpecificationIsWrittenAsTheEmptyTextTokenAndComesBackEmpty)
{
    InputLists lists;
    lists.AppendCutRow(u"", 100, 1, u"订单1");
    lists.AppendStockRow(u"", 6000, 2, 0);
    const std::string path = m_folder.File("QRMCfg.txt");
    ASSERT_TRUE(SaveSettings(path, lists, SettingsRecord()));
    const std::string bytes = TempFolder::ReadFile(path);
    EXPECT_NE(bytes.find("100  1  QQWWSSAA1122  "), std::string::npos);
    EXPECT_NE(bytes.find("6000  2  QQWWSSAA1122  0\r\n"), std::string::npos);
    EXPECT_EQ(RoundTrip(lists, SettingsRecord()), std::string("cut||100|1|订单1\n"
                                                              "stock||6000|2|0\n") +
                                                      DEFAULT_PARAMS);
}

TEST_F(SettingsFileTest, OverlongTextsAreCutTo99UnitsAndTheRestOfTheFileSurvives)
{
    // 120 letters, and 98 letters followed by a surrogate pair (units 99 and
    // 100), which is dropped whole rather than split.
    const MyString letters(120, u'x');
    const MyString pairAtTheEdge = MyString(98, u'y') + u"\U0001F600";
    InputLists lists;
    lists.AppendCutRow(letters, 100, 1, pairAtTheEdge);
    lists.AppendStockRow(u"A", 6000, 3, 1);
    SettingsRecord record;
    record.m_speedLevel = 0;
    EXPECT_EQ(RoundTrip(lists, record), "cut|" + std::string(99, 'x') + "|100|1|" + std::string(98, 'y') +
                                            "\n"
                                            "stock|A|6000|3|1\n"
                                            "params|10|10|0|0|0|0\n");
}

// ---------------------------------------------------------------------------
// Saving safely

TEST_F(SettingsFileTest, SettingsLiveInTheConfigFolderOfTheProgram)
{
#ifndef _WIN32
    EXPECT_EQ(SettingsFilePath("/opt/trevak"), "/opt/trevak/Config/QRMCfg.txt");
#endif
    const std::string path = SettingsFilePath(m_folder.File("程序"));
    EXPECT_EQ(fs::u8path(path).filename().u8string(), "QRMCfg.txt");
    EXPECT_EQ(fs::u8path(path).parent_path(), fs::u8path(m_folder.File("程序/Config")));
}

TEST_F(SettingsFileTest, SavingCreatesTheConfigFolderAndLeavesNoNewFile)
{
    // Neither the program folder nor Config exists.
    const std::string path = SettingsFilePath(m_folder.File("program"));
    ASSERT_TRUE(SaveSettings(path, ExampleLists(), SettingsRecord()));
    EXPECT_EQ(TempFolder::ReadFile(path), EXAMPLE_FILE);
    EXPECT_EQ(FolderEntries(fs::u8path(path).parent_path().u8string()), std::vector<std::string>({"QRMCfg.txt"}));
}

TEST_F(SettingsFileTest, SavingReplacesTheOldFile)
{
    const std::string path = m_folder.WriteFile("QRMCfg.txt", "20260430\r\n9\r\nold content that is longer");
    ASSERT_TRUE(SaveSettings(path, ExampleLists(), SettingsRecord()));
    EXPECT_EQ(TempFolder::ReadFile(path), EXAMPLE_FILE);
    EXPECT_EQ(FolderEntries(m_folder.File("")), std::vector<std::string>({"QRMCfg.txt"}));
}

// Every failure below also happens for the superuser.
TEST_F(SettingsFileTest, SavingFailsWhenTheConfigFolderIsAFile)
{
    const std::string config = m_folder.WriteFile("Config", "a file, not a folder");
    EXPECT_FALSE(SaveSettings(SettingsFilePath(m_folder.File("")), ExampleLists(), SettingsRecord()));
    EXPECT_EQ(TempFolder::ReadFile(config), "a file, not a folder");
}

TEST_F(SettingsFileTest, FailedReplacementKeepsWhatWasThere)
{
    // The settings path is a folder: the new file cannot be renamed over it.
    const std::string path = m_folder.File("QRMCfg.txt");
    ASSERT_TRUE(fs::create_directory(fs::u8path(path)));
    const std::string inside = m_folder.WriteFile("QRMCfg.txt/keep", "kept");
    EXPECT_FALSE(SaveSettings(path, ExampleLists(), SettingsRecord()));
    EXPECT_EQ(TempFolder::ReadFile(inside), "kept");
    EXPECT_EQ(FolderEntries(m_folder.File("")), std::vector<std::string>({"QRMCfg.txt"}));
}

#ifndef _WIN32
TEST_F(SettingsFileTest, NewFileThatCannotBeCreatedKeepsTheOldFile)
{
    // A process out of file handles cannot create the temporary file.
    const std::string path = m_folder.WriteFile("QRMCfg.txt", EXAMPLE_FILE);
    InputLists other;
    other.AppendCutRow(u"B", 1, 1, u"");
    bool saved = true;
    {
        NoMoreFiles noFiles;
        ASSERT_TRUE(noFiles.Active());
        saved = SaveSettings(path, other, SettingsRecord());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(TempFolder::ReadFile(path), EXAMPLE_FILE);
    EXPECT_EQ(FolderEntries(m_folder.File("")), std::vector<std::string>({"QRMCfg.txt"}));
}

TEST_F(SettingsFileTest, NewFileThatCannotBeWrittenCompletelyKeepsTheOldFile)
{
    // A disk that fills up after 16 bytes of the new file: it is created, but
    // the content cannot be written whole.
    const std::string path = m_folder.WriteFile("QRMCfg.txt", EXAMPLE_FILE);
    InputLists other;
    other.AppendCutRow(u"B", 1, 1, u"");
    bool saved = true;
    {
        FileSizeLimit fullDisk(16);
        ASSERT_TRUE(fullDisk.Active());
        saved = SaveSettings(path, other, SettingsRecord());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(TempFolder::ReadFile(path), EXAMPLE_FILE);
    EXPECT_EQ(FolderEntries(m_folder.File("")), std::vector<std::string>({"QRMCfg.txt"}));
}
#endif

// ---------------------------------------------------------------------------
// Reading

TEST_F(SettingsFileTest, ReadsTheCurrentLayout)
{
    EXPECT_EQ(LoadBytes(EXAMPLE_FILE), std::string(EXAMPLE_DESCRIPTION) + DEFAULT_PARAMS);
}

TEST_F(SettingsFileTest, LineEndsAndBlanksMayVary)
{
    // LF only, tabs and runs of blanks between fields, blank lines, no line
    // end after the last value.
    const std::string bytes = Gbk("20260430\n\n2\n 2995\t15 Type_1    订单1\n985  20  Type_1  QQWWSSAA1122\n"
                                  "1\n\n6000 -1 Type_1 1\n2.5\n10\n0\n2\n5\n3");
    EXPECT_EQ(LoadBytes(bytes), std::string(EXAMPLE_DESCRIPTION) + "params|2.5|10|0|2|5|3\n");
}

TEST_F(SettingsFileTest, ReadsTheOlderLayoutWithoutStampAndPriority)
{
    // The first number 3 is no stamp: three cut rows follow, then stock rows
    // of three fields, all read with priority 0.
    const std::string bytes = Gbk("3\r\n"
                                  "2995  15  Type_1  订单1\r\n"
                                  "985  20  Type_1  QQWWSSAA1122\r\n"
                                  "1200  4  角钢  A-7\r\n"
                                  "2\r\n"
                                  "6000  -1  Type_1\r\n"
                                  "9000  5  角钢\r\n"
                                  "5\r\n10\r\n0\r\n1\r\n20\r\n2\r\n");
    EXPECT_EQ(LoadBytes(bytes), "cut|Type_1|2995|15|订单1\n"
                                "cut|Type_1|985|20|\n"
                                "cut|角钢|1200|4|A-7\n"
                                "stock|Type_1|6000|-1|0\n"
                                "stock|角钢|9000|5|0\n"
                                "params|5|10|0|1|20|2\n");
}

TEST_F(SettingsFileTest, TheStampDecidesTheLayoutAbove20231127)
{
    // 20231128 is a stamp: the count follows and stock rows have a priority.
    EXPECT_EQ(LoadBytes("20231128\r\n1\r\n100  1  A  B\r\n1\r\n200  2  A  1\r\n"),
              std::string("cut|A|100|1|B\nstock|A|200|2|1\n") + DEFAULT_PARAMS);
    // 20231127 is a count of the older layout: far more than the one row present.
    EXPECT_EQ(LoadBytes("20231127\r\n100  1  A  B\r\n1\r\n200  2  A\r\n"),
              std::string("cut|A|100|1|B\n") + DEFAULT_PARAMS);
}

TEST_F(SettingsFileTest, ParametersNotInTheFileKeepTheirDefaults)
{
    EXPECT_EQ(LoadBytes("20260430\r\n0\r\n1\r\n6000  3  A  0\r\n"), std::string("stock|A|6000|3|0\n") + DEFAULT_PARAMS);
    // Kerf and reserved value present, the rest missing.
    EXPECT_EQ(LoadBytes("20260430\r\n0\r\n0\r\n4\r\n6\r\n"), "params|4|6|0|0|0|1\n");
}

TEST_F(SettingsFileTest, AMissingFileReportsFailureAndLeavesEmptyListsAndDefaults)
{
    InputLists lists = ExampleLists();
    SettingsRecord record;
    record.m_kerfWidth = 99;
    record.m_speedLevel = 5;
    EXPECT_FALSE(LoadSettings(m_folder.File("missing.txt"), lists, record));
    EXPECT_EQ(Describe(lists, record), DEFAULT_PARAMS);
}

TEST_F(SettingsFileTest, AnEmptyFileGivesEmptyListsAndDefaults)
{
    InputLists lists = ExampleLists();
    SettingsRecord record;
    record.m_trimLength = 7;
    const std::string path = m_folder.WriteFile("QRMCfg.txt", "");
    EXPECT_TRUE(LoadSettings(path, lists, record));
    EXPECT_EQ(Describe(lists, record), DEFAULT_PARAMS);
}

#ifndef _WIN32
TEST_F(SettingsFileTest, NumbersAreReadWithAPointWhateverTheLocale)
{
    const char* const previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    bool commaLocale = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8", "de_DE"}) {
        if (std::setlocale(LC_NUMERIC, name) && std::localeconv()->decimal_point[0] == ',') {
            commaLocale = true;
            break;
        }
    }
    if (!commaLocale) {
        std::setlocale(LC_NUMERIC, saved.c_str());
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    InputLists lists;
    lists.AppendCutRow(u"A", 1234.5, 1, u"");
    SettingsRecord record;
    record.m_kerfWidth = 2.5;
    const std::string described = RoundTrip(lists, record);
    const std::string bytes = TempFolder::ReadFile(m_folder.File("QRMCfg.txt"));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(described, "cut|A|1234.5|1|\nparams|2.5|10|0|0|0|1\n");
    EXPECT_NE(bytes.find("1234.5  1  A"), std::string::npos);
}
#endif

// ---------------------------------------------------------------------------
// Damaged files: what was read completely before the damage stays, nothing
// after it is read, and no row is made up.

struct DamagedCase {
    const char* what;
    std::string bytes;
    std::string read;
};

TEST_F(SettingsFileTest, DamagedFilesKeepTheRowsReadBeforeTheDamage)
{
    const std::string stamp = "20260430\r\n";
    const std::string twoCuts = "2\r\n2995  15  A  M\r\n985  20  A  QQWWSSAA1122\r\n";
    const std::string twoCutsRead = "cut|A|2995|15|M\ncut|A|985|20|\n";
    const std::string stock = "1\r\n6000  -1  A  1\r\n";
    const std::string stockRead = "stock|A|6000|-1|1\n";
    const std::string params = "3\r\n10\r\n0\r\n0\r\n0\r\n1\r\n";
    const std::string text99(99, 't');
    const std::string text100(100, 't');
    // 99 and 100 Chinese characters: 198 and 200 bytes.
    std::string han99;
    for (int i = 0; i < 99; ++i)
        han99 += "钢";

    const std::vector<DamagedCase> cases = {
        // Counts.
        {"cut count larger than the rows present: the stock count line is no row",
         stamp + "5\r\n2995  15  A  M\r\n985  20  A  QQWWSSAA1122\r\n" + stock + params, twoCutsRead + DEFAULT_PARAMS},
        {"stock count larger than the rows present", stamp + twoCuts + "3\r\n6000  -1  A  1\r\n" + params,
         twoCutsRead + stockRead + DEFAULT_PARAMS},
        {"cut count smaller than the rows present",
         stamp + "1\r\n2995  15  A  M\r\n985  20  A  QQWWSSAA1122\r\n" + stock + params,
         "cut|A|2995|15|M\n" + std::string(DEFAULT_PARAMS)},
        {"negative cut count", stamp + "-1\r\n" + stock + params, DEFAULT_PARAMS},
        {"negative first number (older layout)", "-3\r\n" + stock + params, DEFAULT_PARAMS},
        {"negative stock count", stamp + twoCuts + "-5\r\n" + params, twoCutsRead + DEFAULT_PARAMS},
        {"huge cut count", stamp + "2000000000\r\n2995  15  A  M\r\n",
         "cut|A|2995|15|M\n" + std::string(DEFAULT_PARAMS)},
        {"huge stock count", stamp + twoCuts + "2000000000\r\n", twoCutsRead + DEFAULT_PARAMS},
        {"count beyond 32 bits", stamp + "4294967298\r\n2995  15  A  M\r\n", DEFAULT_PARAMS},
        // Numbers that are not numbers.
        {"stamp not a number", "2026O430\r\n" + twoCuts + stock + params, DEFAULT_PARAMS},
        {"length with letters", stamp + "2\r\n2995  15  A  M\r\n98x5  20  A  N\r\n" + stock + params,
         "cut|A|2995|15|M\n" + std::string(DEFAULT_PARAMS)},
        {"length with a decimal comma", stamp + "1\r\n2995,5  15  A  M\r\n" + stock + params, DEFAULT_PARAMS},
        {"fractional quantity", stamp + "1\r\n2995  1.5  A  M\r\n" + stock + params, DEFAULT_PARAMS},
        {"quantity beyond 32 bits", stamp + "1\r\n2995  2147483648  A  M\r\n" + stock + params, DEFAULT_PARAMS},
        {"length infinite", stamp + "1\r\n1e999  1  A  M\r\n" + stock + params, DEFAULT_PARAMS},
        {"length inf", stamp + "1\r\ninf  1  A  M\r\n" + stock + params, DEFAULT_PARAMS},
        {"length nan", stamp + "1\r\nnan  1  A  M\r\n" + stock + params, DEFAULT_PARAMS},
        {"stock count not a number", stamp + twoCuts + "one\r\n6000  -1  A  1\r\n" + params,
         twoCutsRead + DEFAULT_PARAMS},
        {"priority not a number", stamp + twoCuts + "1\r\n6000  -1  A  yes\r\n" + params, twoCutsRead + DEFAULT_PARAMS},
        {"kerf not a number", stamp + twoCuts + stock + "ten\r\n10\r\n0\r\n0\r\n0\r\n1\r\n",
         twoCutsRead + stockRead + DEFAULT_PARAMS},
        {"speed not a number: the parameters before it are kept",
         stamp + twoCuts + stock + "3\r\n8\r\n5\r\n2\r\n7\r\nfast\r\n",
         twoCutsRead + stockRead + "params|3|8|5|2|7|1\n"},
        // Rows of the wrong shape.
        {"cut row with three fields", stamp + "2\r\n2995  15  A  M\r\n985  20  A\r\n" + stock + params,
         "cut|A|2995|15|M\n" + std::string(DEFAULT_PARAMS)},
        {"cut row with five fields", stamp + "1\r\n2995  15  A  M  extra\r\n" + stock + params, DEFAULT_PARAMS},
        {"current stock row without priority", stamp + twoCuts + "1\r\n6000  -1  A\r\n" + params,
         twoCutsRead + DEFAULT_PARAMS},
        {"older stock row with a priority", "2\r\n2995  15  A  M\r\n985  20  A  QQWWSSAA1122\r\n" + stock + params,
         twoCutsRead + DEFAULT_PARAMS},
        {"two parameters on one line", stamp + twoCuts + stock + "3  10\r\n0\r\n",
         twoCutsRead + stockRead + DEFAULT_PARAMS},
        // Texts.
        {"text of 99 units is read", stamp + "1\r\n100  1  " + text99 + "  M\r\n0\r\n",
         "cut|" + text99 + "|100|1|M\n" + DEFAULT_PARAMS},
        {"text of 100 units", stamp + "2\r\n100  1  A  M\r\n100  1  A  " + text100 + "\r\n0\r\n",
         "cut|A|100|1|M\n" + std::string(DEFAULT_PARAMS)},
        {"99 Chinese characters are read", stamp + "1\r\n100  1  " + Gbk(han99) + "  M\r\n0\r\n",
         "cut|" + han99 + "|100|1|M\n" + DEFAULT_PARAMS},
        {"100 Chinese characters", stamp + "1\r\n100  1  " + Gbk(han99 + "钢") + "  M\r\n0\r\n", DEFAULT_PARAMS},
        // Other rubbish.
        {"one long line without a line end", std::string(1 << 20, 'x'), DEFAULT_PARAMS},
        {"a long run of digits", stamp + "1\r\n" + std::string(300, '1') + "  1  A  M\r\n", DEFAULT_PARAMS},
        {"null bytes", std::string("\0\0\0\r\n", 5), DEFAULT_PARAMS},
    };
    for (const DamagedCase& c : cases)
        EXPECT_EQ(LoadBytes(c.bytes), c.read) << c.what;
}

}  // namespace

// ---------------------------------------------------------------------------
// Unreadable and damaged files, concurrent saves

namespace {

TEST(SettingsLoadReportTest, SaysWhetherAFileWasSoundMissingUnreadableOrDamaged)
{
    TempFolder folder;
    InputLists lists;
    SettingsRecord record;
    SettingsLoadReport report;

    ASSERT_TRUE(SaveSettings(folder.File("sound.txt"), ExampleLists(), SettingsRecord()));
    EXPECT_TRUE(LoadSettings(folder.File("sound.txt"), lists, record, &report));
    EXPECT_EQ(report.m_state, SettingsFileState::Sound);
    EXPECT_TRUE(SettingsLoadMessage("x", report).empty());

    EXPECT_FALSE(LoadSettings(folder.File("none.txt"), lists, record, &report));
    EXPECT_EQ(report.m_state, SettingsFileState::Missing);
    EXPECT_TRUE(SettingsLoadMessage("x", report).empty());

    EXPECT_FALSE(LoadSettings(folder.File(""), lists, record, &report));
    EXPECT_EQ(report.m_state, SettingsFileState::CannotRead);
    EXPECT_EQ(SettingsLoadMessage("/c/QRMCfg.txt", report).rfind(u"设置文件 < /c/QRMCfg.txt > 无法读取（", 0), 0u);

    const std::vector<std::pair<std::string, std::u16string>> damaged = {
        {"", u"文件是空的"},
        {"\xFF\xFE garbage", u"第1行不是版本号或下料行数"},
        {"20260430\r\n2\r\n2995  15  A  M\r\n", u"文件在下料行之前结束"},
        {"20260430\r\n0\r\n1\r\n6000  1  A\r\n", u"第4行不是原料行"},
        {"20260430\r\n0\r\n0\r\nten\r\n", u"第4行不是参数"},
    };
    for (const auto& [bytes, why] : damaged) {
        EXPECT_TRUE(LoadSettings(folder.WriteFile("d.txt", bytes), lists, record, &report));
        EXPECT_EQ(report.m_state, SettingsFileState::Damaged) << bytes;
        EXPECT_EQ(report.m_problem, why) << bytes;
        EXPECT_NE(SettingsLoadMessage("d.txt", report).find(why), std::u16string::npos);
    }
#ifndef _WIN32
    EXPECT_TRUE(LoadSettings("/dev/zero", lists, record, &report));
    EXPECT_EQ(report.m_problem, u"第1行过长");
#endif
}

TEST(SettingsLoadReportTest, BareCarriageReturnsEndLinesInTheSettingsFileToo)
{
    TempFolder folder;
    InputLists lists;
    SettingsRecord record;
    SettingsLoadReport report;
    ASSERT_TRUE(LoadSettings(folder.WriteFile("cr.txt", "20260430\r1\r2995  15  A  M\r0\r3\r"), lists, record, &report));
    EXPECT_EQ(report.m_state, SettingsFileState::Sound);
    EXPECT_EQ(lists.m_cutLength, std::vector<double>({2995}));
    EXPECT_EQ(record.m_kerfWidth, 3);
}

TEST(SettingsSaveTest, ConcurrentSavesAllSucceedAndReadersOnlySeeWholeFiles)
{
    // Four threads save 30 versions each to one path while a reader loads it
    // over and over. Every save succeeds, every load finds a sound file, and
    // the file at the end is the last version of one thread (each thread's
    // renames come in its own order).
    TempFolder folder;
    const std::string path = folder.File("QRMCfg.txt");
    constexpr int WRITERS = 4;
    constexpr int VERSIONS = 30;
    auto lists = [](int writer, int version) {
        InputLists l;
        for (int row = 0; row < 50 + writer; ++row)
            l.AppendCutRow(u"W" + Widen(std::to_string(writer)), 1000 + version, row + 1, u"");
        return l;
    };
    ASSERT_TRUE(SaveSettings(path, lists(0, 0), SettingsRecord()));
    std::atomic<int> failedSaves{0};
    std::atomic<int> unsoundLoads{0};
    std::atomic<bool> writing{true};
    std::vector<std::thread> writers;
    for (int w = 0; w < WRITERS; ++w)
        writers.emplace_back([&, w] {
            for (int v = 0; v < VERSIONS; ++v)
                if (!SaveSettings(path, lists(w, v), SettingsRecord()))
                    ++failedSaves;
        });
    std::thread reader([&] {
        while (writing) {
            InputLists read;
            SettingsRecord record;
            SettingsLoadReport report;
            if (!LoadSettings(path, read, record, &report) || report.m_state != SettingsFileState::Sound ||
                read.CutRowCount() < 50)
                ++unsoundLoads;
        }
    });
    for (std::thread& t : writers)
        t.join();
    writing = false;
    reader.join();
    EXPECT_EQ(failedSaves, 0);
    EXPECT_EQ(unsoundLoads, 0);
    InputLists final;
    SettingsRecord record;
    ASSERT_TRUE(LoadSettings(path, final, record));
    bool oneLastVersion = false;
    for (int w = 0; w < WRITERS; ++w) {
        const InputLists last = lists(w, VERSIONS - 1);
        oneLastVersion = oneLastVersion || (final.m_cutSpec == last.m_cutSpec && final.m_cutLength == last.m_cutLength &&
                                            final.m_cutQuantity == last.m_cutQuantity);
    }
    EXPECT_TRUE(oneLastVersion);
    EXPECT_EQ(FolderEntries(folder.File("")), std::vector<std::string>({"QRMCfg.txt"}));
}

#ifndef _WIN32
TEST(SettingsSaveTest, ALinkedSettingsFileIsUpdatedAndAFifoIsRefused)
{
    TempFolder folder;
    std::filesystem::create_directory(std::filesystem::u8path(folder.File("shared")));
    const std::string real = folder.WriteFile("shared/QRMCfg.txt", "");
    const std::string link = folder.File("QRMCfg.txt");
    std::filesystem::create_symlink(std::filesystem::u8path(real), std::filesystem::u8path(link));
    ASSERT_TRUE(SaveSettings(link, ExampleLists(), SettingsRecord()));
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::u8path(link)));
    InputLists read;
    SettingsRecord record;
    ASSERT_TRUE(LoadSettings(real, read, record));
    EXPECT_EQ(read.m_cutSpec, ExampleLists().m_cutSpec);

    const std::string fifo = folder.File("fifo.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(SaveSettings(fifo, ExampleLists(), SettingsRecord()));
    EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::u8path(fifo)));
}
#endif

}  // namespace
