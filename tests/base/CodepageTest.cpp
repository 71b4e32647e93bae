#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/Codepage.h"

namespace {

TEST(CodepageTest, AsciiPassesUnchangedBothWays)
{
    const std::string ascii = "Type_1\t2995 15?x\r\n";
    EXPECT_EQ(Utf16ToCp936(u"Type_1\t2995 15?x\r\n"), ascii);
    EXPECT_EQ(Cp936ToUtf16(ascii), u"Type_1\t2995 15?x\r\n");
    EXPECT_EQ(Utf16ToCp936(u""), "");
    EXPECT_EQ(Cp936ToUtf16(""), u"");
}

TEST(CodepageTest, ChineseTextRoundTripsThroughGbkBytes)
{
    // 订单 = B6 A9 B5 A5, 不限 = B2 BB CF DE, 优先 = D3 C5 CF C8.
    const std::string bytes = "\xB6\xA9\xB5\xA5" "1 \xB2\xBB\xCF\xDE \xD3\xC5\xCF\xC8";
    EXPECT_EQ(Utf16ToCp936(u"订单1 不限 优先"), bytes);
    EXPECT_EQ(Cp936ToUtf16(bytes), u"订单1 不限 优先");
}

TEST(CodepageTest, IdeographicBlankIsA1A1)
{
    EXPECT_EQ(Utf16ToCp936(u"\u3000"), "\xA1\xA1");
    EXPECT_EQ(Cp936ToUtf16("A\xA1\xA1" "B"), u"A\u3000B");
}

TEST(CodepageTest, CharactersWithoutAGbkFormBecomeOneQuestionMarkEach)
{
    // U+0E01 (Thai) has no GBK form; U+1F600 is a surrogate pair, one character.
    EXPECT_EQ(Utf16ToCp936(u"a\u0E01b"), "a?b");
    EXPECT_EQ(Utf16ToCp936(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(Utf16ToCp936(u"\u0E01\u0E01\u4E2D"), "??\xD6\xD0");  // 中 = D6 D0 after two failures
}

TEST(CodepageTest, UnpairedSurrogatesBecomeQuestionMarks)
{
    const std::u16string loneHigh{u'a', char16_t(0xD800), u'b'};
    const std::u16string loneLow{u'a', char16_t(0xDC00), u'b'};
    const std::u16string highAtEnd{u'a', char16_t(0xD83D)};
    EXPECT_EQ(Utf16ToCp936(loneHigh), "a?b");
    EXPECT_EQ(Utf16ToCp936(loneLow), "a?b");
    EXPECT_EQ(Utf16ToCp936(highAtEnd), "a?");
}

TEST(CodepageTest, InvalidGbkBytesDecodeToReplacementCharacters)
{
    // 81 30 starts a four-byte GB18030 sequence, which GBK does not have: the
    // lead byte stands alone and "0" is read on its own.
    EXPECT_EQ(Cp936ToUtf16("\x81\x30"), u"\uFFFD0");
    // FF is never a valid byte.
    EXPECT_EQ(Cp936ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    // A lead byte cut off by the end of the text.
    EXPECT_EQ(Cp936ToUtf16("ab\xB6"), u"ab\uFFFD");
}

TEST(CodepageTest, InvalidGbkBytesNeverBecomeSeparators)
{
    // Lead bytes followed by a separator byte: the separator is a real one of
    // the line and stays, the broken lead byte is U+FFFD and nothing else.
    EXPECT_EQ(Cp936ToUtf16("\xB6\t5"), u"\uFFFD\t5");
    EXPECT_EQ(Cp936ToUtf16("\xB6 5"), u"\uFFFD 5");
    // Runs of invalid bytes yield only U+FFFD.
    const std::u16string decoded = Cp936ToUtf16("\xFF\xFF\x80\xFF");
    for (char16_t c : decoded) {
        EXPECT_NE(c, u'?');
        EXPECT_NE(c, u' ');
        EXPECT_NE(c, u'\t');
        EXPECT_NE(c, u'\u3000');
    }
}

TEST(CodepageTest, Utf8RoundTripsEveryPlane)
{
    const std::u16string text = u"Type_1 订单 \u00E9 \U0001F600 \u3000";
    const std::string utf8 = "Type_1 \xE8\xAE\xA2\xE5\x8D\x95 \xC3\xA9 \xF0\x9F\x98\x80 \xE3\x80\x80";
    EXPECT_EQ(Utf16ToUtf8(text), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8), text);
}

TEST(CodepageTest, InvalidUtf8BecomesOneReplacementPerBrokenPart)
{
    // A stray continuation byte, a byte that never starts a sequence.
    EXPECT_EQ(Utf8ToUtf16("a\x80" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    // Overlong "/" (C0 AF): C0 never starts a sequence, AF is then stray.
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    // An encoded surrogate (ED A0 80): ED may not be followed by A0.
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    // 中 (E4 B8 AD) cut after two bytes, at the end and before "x".
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8x"), u"\uFFFDx");
    // Above U+10FFFF (F4 90 80 80).
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(CodepageTest, UnpairedSurrogatesBecomeReplacementInUtf8)
{
    const std::u16string text{u'a', char16_t(0xDC00), char16_t(0xD800), u'b'};
    EXPECT_EQ(Utf16ToUtf8(text), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");
}

TEST(CodepageTest, LongTextsConvertCompletely)
{
    // Longer than any first guess of the output size: the conversion has to grow its buffer.
    std::u16string text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        text += u"订a\u0E01";
        expected += "\xB6\xA9" "a?";
    }
    EXPECT_EQ(Utf16ToCp936(text), expected);
    std::u16string back = text;
    for (char16_t& c : back) {
        if (c == u'\u0E01')
            c = u'?';
    }
    EXPECT_EQ(Cp936ToUtf16(expected), back);
}

TEST(CodepageTest, ThreadsConvertIndependently)
{
    // Each thread has its own conversion state; interleaved calls must not mix.
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                const std::u16string text = t % 2 ? u"不限\u3000优先" : u"订单\u0E01";
                if (Cp936ToUtf16(Utf16ToCp936(text)) != (t % 2 ? text : u"订单?"))
                    ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

}  // namespace
