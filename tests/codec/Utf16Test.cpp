// File names between UTF-16 and UTF-8: every UTF-16 name comes back as it was, unpaired
// surrogates included, and bytes that are not UTF-8 never vanish silently.
#include "Utf16.h"

#include <gtest/gtest.h>

#include <string>

using namespace vornak;

TEST(Utf16, NamesConvertBothWays) {
    const struct {
        std::u16string utf16;
        std::string utf8;
    } cases[] = {
        {u"", ""},
        {u"report.rpt", "report.rpt"},
        {u"C:\\Отчёты\\Рост № 1.rpt", "C:\\Отчёты\\Рост № 1.rpt"},
        {u"€ 中 😀", "€ 中 😀"},
        {u"\u007f\u0080\u07ff\u0800\uffff", "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf"},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8);
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(Utf16, UnpairedSurrogatesComeBackUnchanged) {
    const std::u16string names[] = {
        std::u16string(1, char16_t{0xD800}),
        std::u16string(1, char16_t{0xDFFF}),
        u"a" + std::u16string(1, char16_t{0xDC00}) + u"b",
        std::u16string{char16_t{0xDBFF}, u'x', char16_t{0xD83D}}, // a high one at the end
        std::u16string{char16_t{0xDC00}, char16_t{0xD800}},       // low before high: no pair
    };
    for (const std::u16string& name : names) {
        EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(name)), name);
    }
}

TEST(Utf16, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    const struct {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"\xce\xf2\xf7", u"\ufffd\ufffd\ufffd"},           // Windows-1251 "Отч"
        {"a\xc3", u"a\ufffd"},                             // cut short at the end
        {"\xc0\xaf", u"\ufffd\ufffd"},                     // overlong "/"
        {"\xe0\x80\xaf", u"\ufffd\ufffd\ufffd"},           // overlong in three bytes
        {"\xf4\x90\x80\x80", u"\ufffd\ufffd\ufffd\ufffd"}, // above U+10FFFF
        {"\xff!", u"\ufffd!"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToUtf16(c.bytes), c.expected) << c.bytes;
    }
}
