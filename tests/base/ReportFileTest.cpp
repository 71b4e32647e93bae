#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Codepage.h"
#include "base/Messages.h"
#include "base/ReportFile.h"
#include "support/Recorders.h"
#include "support/ResourceLimits.h"
#include "support/TempFolder.h"

namespace {

class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        m_previousSink = g_messageSink;
        g_messageSink = &m_sink;
    }
    void TearDown() override { g_messageSink = m_previousSink; }

    TempFolder m_folder;
    RecordingSink m_sink;
    MessageSink* m_previousSink = nullptr;
};

TEST_F(ReportFileTest, TextIsWrittenInCodePage936WithCrLfLineEnds)
{
    const std::string path = m_folder.File("report.txt");
    ReportFile file;
    ASSERT_TRUE(file.Open(path));
    file.Write(u"订单1\n\nA\u3000B\n");
    EXPECT_TRUE(file.Finish(true));
    // 订 = B6 A9, 单 = B5 A5, U+3000 = A1 A1 in code page 936; each "\n" becomes CR LF,
    // and an empty line stays an empty line.
    EXPECT_EQ(TempFolder::ReadFile(path), "\xB6\xA9\xB5\xA5" "1\r\n\r\nA\xA1\xA1" "B\r\n");
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(ReportFileTest, CharactersWithoutACodePage936FormBecomeQuestionMarks)
{
    const std::string path = m_folder.File("report.txt");
    ReportFile file;
    ASSERT_TRUE(file.Open(path));
    // Thai ko kai (U+0E01) and an emoji (a surrogate pair) have no GBK form.
    file.Write(u"a\u0E01b\U0001F600c");
    ASSERT_TRUE(file.Finish(false));
    EXPECT_EQ(TempFolder::ReadFile(path), "a?b?c");
}

TEST_F(ReportFileTest, NumbersAreWrittenInPlainDecimalAndSixSignificantDigits)
{
    const std::string path = m_folder.File("numbers.txt");
    ReportFile file;
    ASSERT_TRUE(file.Open(path));
    file.Write(int64_t(-42));
    file.Write(u" ");
    file.Write(int64_t(9000000000));  // beyond 32 bits
    file.Write(u" ");
    file.WriteReal(6000.0);
    file.Write(u" ");
    file.WriteReal(1234.5);
    file.Write(u" ");
    file.WriteReal(1234567.0);  // seven digits do not fit in six: exponent form
    ASSERT_TRUE(file.Finish(false));
    EXPECT_EQ(TempFolder::ReadFile(path), "-42 9000000000 6000 1234.5 1.23457e+06");
}

TEST_F(ReportFileTest, OpenEmptiesAnExistingFile)
{
    const std::string path = m_folder.WriteFile("old.txt", "a much longer old content\r\n");
    ReportFile file;
    ASSERT_TRUE(file.Open(path));
    file.Write(u"new");
    ASSERT_TRUE(file.Finish(false));
    EXPECT_EQ(TempFolder::ReadFile(path), "new");
}

TEST_F(ReportFileTest, AnEmptyReportIsASuccess)
{
    const std::string path = m_folder.File("empty.txt");
    ReportFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.Finish(true));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path)));
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(ReportFileTest, AFileInAMissingFolderFailsAndShowsTheMessage)
{
    const std::string path = m_folder.File("missing/报告.txt");
    ReportFile file;
    EXPECT_FALSE(file.Open(path));
    file.Write(u"discarded");
    file.WriteReal(1.5);
    EXPECT_FALSE(file.Finish(true));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    // The path goes into the message as it was given (UTF-8 widened to UTF-16).
    const std::u16string widePath = std::filesystem::u8path(path).u16string();
    EXPECT_EQ(m_sink.m_messages[0], u"文件 < " + widePath + u" > 写入有误，请检查文件是否被锁定或被打开状态 ！");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path)));
}

TEST_F(ReportFileTest, AFailureWithoutTheMessageFlagShowsNothing)
{
    ReportFile file;
    EXPECT_FALSE(file.Open(m_folder.File("missing/a.txt")));
    EXPECT_FALSE(file.Finish(false));
    EXPECT_TRUE(m_sink.m_messages.empty());
}

#ifndef _WIN32
TEST_F(ReportFileTest, AWriteThatFailsAfterOpeningIsAFailure)
{
    // A disk that is full after 4 bytes: the file opens, but the content
    // cannot be written whole, and the old file stays as it was.
    const std::string path = m_folder.WriteFile("full.txt", "old report");
    ReportFile file;
    bool written = true;
    {
        FileSizeLimit fullDisk(4);
        ASSERT_TRUE(fullDisk.Active());
        ASSERT_TRUE(file.Open(path));
        file.Write(u"some text that does not fit\n");
        written = file.Finish(true);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(file.ErrorText().empty());
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0], u"文件 < " + Utf8ToUtf16(path) + u" > 写入有误，请检查文件是否被锁定或被打开状态 ！");
    EXPECT_EQ(TempFolder::ReadFile(path), "old report");
    EXPECT_EQ(FolderEntries(m_folder.File("")), std::vector<std::string>({"full.txt"}));
}
#endif

TEST_F(ReportFileTest, FinishingTwiceOrWithoutOpeningIsNoSuccess)
{
    ReportFile never;
    EXPECT_FALSE(never.Finish(false));

    ReportFile file;
    ASSERT_TRUE(file.Open(m_folder.File("twice.txt")));
    EXPECT_TRUE(file.Finish(false));
    EXPECT_FALSE(file.Finish(false));
}

TEST(FormatRealExactTest, ShortValuesUseTheShortestGeneralText)
{
    EXPECT_EQ(FormatRealExact(2995.0), "2995");
    EXPECT_EQ(FormatRealExact(2995.5), "2995.5");
    EXPECT_EQ(FormatRealExact(0.1), "0.1");
    EXPECT_EQ(FormatRealExact(0.0), "0");
    EXPECT_EQ(FormatRealExact(-12000.0), "-12000");
}

TEST(FormatRealExactTest, ValuesThatSixDigitsWouldChangeGetMoreDigits)
{
    EXPECT_EQ(FormatRealExact(1234567.0), "1234567");        // "%g" gives 1.23457e+06
    EXPECT_EQ(FormatRealExact(12345678.25), "12345678.25");  // ten significant digits
    // 0.1 + 0.2 differs from 0.3 only in the 17th digit.
    EXPECT_EQ(FormatRealExact(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(FormatRealExact(1.0 / 3.0), "0.3333333333333333");  // 16 digits suffice
    EXPECT_EQ(FormatRealExact(1e21), "1e+21");
}

// Significant digits of a "%g" text: the mantissa's digits without leading zeros.
int SignificantDigits(const std::string& text)
{
    const std::string mantissa = text.substr(0, text.find('e'));
    int count = 0;
    bool leading = true;
    for (char c : mantissa) {
        if (c < '0' || c > '9')
            continue;
        if (c == '0' && leading)
            continue;
        leading = false;
        ++count;
    }
    return count;
}

TEST(FormatRealExactTest, EveryTextReadsBackAndIsNoLongerThanNeeded)
{
    const double values[] = {1234567.0, 2995.5, 0.1, 1.0 / 3.0, 2.0 / 3.0, 1e-300, 4.9e-324, 1.7976931348623157e308,
                             123456789012345678.0, 6000.000001, 3.141592653589793, 0.1 + 0.2};
    for (double value : values) {
        const std::string text = FormatRealExact(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
        // Above the six-digit minimum, one digit less must lose the value.
        const int digits = SignificantDigits(text);
        if (digits > 6) {
            char shorter[512];
            std::snprintf(shorter, sizeof(shorter), "%.*g", digits - 1, value);
            EXPECT_NE(std::strtod(shorter, nullptr), value) << text << " could be " << shorter;
        }
    }
}

TEST(FormatRealExactTest, InfinityAndNanPrintAsPrintfDoes)
{
    EXPECT_EQ(FormatRealExact(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatRealExact(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(FormatRealExact(std::numeric_limits<double>::quiet_NaN()), "nan");
}

}  // namespace
