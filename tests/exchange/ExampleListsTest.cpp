#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/ReportFile.h"
#include "exchange/ExampleLists.h"
#include "exchange/TextListFile.h"
#include "support/TempFolder.h"

namespace {

// Writes the example lines of kind as the "TXT 格式" command does and returns the path.
std::string WriteExampleFile(const TempFolder& folder, ListKind kind)
{
    const std::string path = folder.File("示例.txt");
    ReportFile file;
    file.Open(path);
    for (const std::u16string& line : ExampleTextLines(kind))
        file.Write(line);
    EXPECT_TRUE(file.Finish(false));
    return path;
}

TEST(ExampleListsTest, EveryLineEndsWithALineFeed)
{
    for (ListKind kind : {LIST_CUT, LIST_STOCK}) {
        for (const std::u16string& line : ExampleTextLines(kind)) {
            ASSERT_FALSE(line.empty());
            EXPECT_EQ(line.back(), u'\n');
            EXPECT_EQ(line.find(u'\n'), line.size() - 1);
        }
    }
    EXPECT_EQ(ExampleTextLines(LIST_CUT).size(), 15u);
    EXPECT_EQ(ExampleTextLines(LIST_STOCK).size(), 4u);
}

TEST(ExampleListsTest, StockExampleFileIsCodePage936WithCrLf)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    const std::string path = WriteExampleFile(folder, LIST_STOCK);
    // 不限 = B2 BB CF DE, 优先 = D3 C5 CF C8; the double tab before 优先 shows an
    // empty field that import passes over.
    EXPECT_EQ(TempFolder::ReadFile(path), "Type_1\t6000\t\xB2\xBB\xCF\xDE\t\t\xD3\xC5\xCF\xC8\r\n"
                                          "Type_1\t12000\t30\r\n"
                                          "Type_2\t6000\t\xB2\xBB\xCF\xDE\r\n"
                                          "Type_3\t9000\t25\r\n");
}

TEST(ExampleListsTest, ImportingTheExampleFilesGivesTheExampleLists)
{
    TempFolder folder;
    ASSERT_TRUE(folder.IsValid());
    InputLists imported;
    for (ListKind kind : {LIST_CUT, LIST_STOCK}) {
        TextFileReader reader;
        ASSERT_EQ(OpenTextList(WriteExampleFile(folder, kind), reader), TextListOpenResult::Ok);
        const TextImportReport report = ReadTextList(reader, kind, imported);
        EXPECT_EQ(report.m_badLineCount, 0) << "kind " << kind;
    }
    const InputLists example = ExampleJobLists();
    EXPECT_EQ(example.m_cutSpec, imported.m_cutSpec);
    EXPECT_EQ(example.m_cutLength, imported.m_cutLength);
    EXPECT_EQ(example.m_cutQuantity, imported.m_cutQuantity);
    EXPECT_EQ(example.m_cutMark, imported.m_cutMark);
    EXPECT_EQ(example.m_stockSpec, imported.m_stockSpec);
    EXPECT_EQ(example.m_stockLength, imported.m_stockLength);
    EXPECT_EQ(example.m_stockQuantity, imported.m_stockQuantity);
    EXPECT_EQ(example.m_stockPriority, imported.m_stockPriority);
}

TEST(ExampleListsTest, CutExampleHoldsFifteenRows)
{
    // Lines 5 and 6 are the same row twice, without a mark; line 7,
    // "Type_1\t985\t\t20", reads the double tab as one separator.
    const InputLists lists = ExampleJobLists();
    EXPECT_EQ(lists.m_cutSpec, (std::vector<std::u16string>{u"Type_1", u"Type_1", u"Type_1", u"Type_1", u"Type_1",
                                                            u"Type_1", u"Type_1", u"Type_2", u"Type_2", u"Type_2",
                                                            u"Type_2", u"Type_2", u"Type_3", u"Type_3", u"Type_3"}));
    EXPECT_EQ(lists.m_cutLength, (std::vector<double>{2995, 2995, 3550, 2500, 4280, 4280, 985, 1500, 2550, 785, 5200,
                                                      4900, 885, 1200, 1900}));
    EXPECT_EQ(lists.m_cutQuantity, (std::vector<int32_t>{15, 21, 9, 15, 8, 8, 20, 15, 19, 25, 18, 8, 5, 28, 18}));
    EXPECT_EQ(lists.m_cutMark, (std::vector<std::u16string>{u"订单1", u"订单2", u"订单2", u"订单3", u"", u"", u"", u"",
                                                            u"", u"", u"", u"", u"", u"", u""}));
}

TEST(ExampleListsTest, CutExampleMergesItsTwoEqualRows)
{
    InputLists lists = ExampleJobLists();
    EXPECT_TRUE(lists.MergeCutList());
    // Rows 5 and 6 (Type_1, 4280, 8) become one row of 16 at the place of the first.
    ASSERT_EQ(lists.CutRowCount(), 14u);
    EXPECT_EQ(lists.m_cutLength[4], 4280);
    EXPECT_EQ(lists.m_cutQuantity[4], 16);
    EXPECT_EQ(lists.m_cutLength[5], 985);
}

TEST(ExampleListsTest, StockExampleHoldsFourRows)
{
    const InputLists lists = ExampleJobLists();
    // 不限 reads as 0 and is stored as -1 (unlimited); only the first row has 优先.
    EXPECT_EQ(lists.m_stockSpec, (std::vector<std::u16string>{u"Type_1", u"Type_1", u"Type_2", u"Type_3"}));
    EXPECT_EQ(lists.m_stockLength, (std::vector<double>{6000, 12000, 6000, 9000}));
    EXPECT_EQ(lists.m_stockQuantity, (std::vector<int32_t>{-1, 30, -1, 25}));
    EXPECT_EQ(lists.m_stockPriority, (std::vector<int32_t>{1, 0, 0, 0}));
}

}  // namespace
