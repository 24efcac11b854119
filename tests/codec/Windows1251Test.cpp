// The code-page table: every byte has one character and comes back from it, characters outside
// the page have no byte, and the UTF-8 it gives is the UTF-8 of those characters.
#include "Utf16.h"
#include "Windows1251.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace vornak;

TEST(Windows1251, EveryByteHasItsOwnCharacterAndComesBackFromIt) {
    std::set<char32_t> seen;
    for (unsigned b = 0; b < 256; ++b) {
        const char32_t c = windows1251ToUnicode(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(c).second) << "byte 0x" << std::hex << b << " shares its character";
        const auto back = unicodeToWindows1251(c);
        ASSERT_TRUE(back.has_value()) << "byte 0x" << std::hex << b;
        EXPECT_EQ(*back, b);
    }
}

TEST(Windows1251, KnownCharactersOfThePage) {
    const struct {
        unsigned char byte;
        char32_t character;
    } cases[] = {
        {'A', U'A'},    {0x00, 0x0000}, {0x7F, 0x007F}, {0x80, U'Ђ'}, {0x88, U'€'}, {0x98, 0x0098},
        {0xA0, 0x00A0}, {0xA8, U'Ё'},   {0xB8, U'ё'},   {0xB9, U'№'}, {0xC0, U'А'}, {0xDF, U'Я'},
        {0xE0, U'а'},   {0xFF, U'я'},   {0xA5, U'Ґ'},   {0xB4, U'ґ'}, {0x96, U'–'}, {0x97, U'—'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windows1251ToUnicode(c.byte), c.character) << "byte 0x" << std::hex << unsigned{c.byte};
    }
}

TEST(Windows1251, CharactersOutsideThePageHaveNoByte) {
    for (const char32_t c : {U'ä', U'中', U'😀', char32_t{0x0080}, char32_t{0x00FF}, char32_t{0xFFFD},
                             char32_t{0xD800}, char32_t{0x110000}}) {
        EXPECT_FALSE(unicodeToWindows1251(c).has_value()) << "U+" << std::hex << unsigned(c);
    }
}

TEST(Windows1251, ConvertsWholeTextsToUtf8AndUtf16) {
    const struct {
        std::string bytes;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", "", u""},
        {"plain ASCII\t\r\n", "plain ASCII\t\r\n", u"plain ASCII\t\r\n"},
        {"\xd0\xee\xf1\xf2 \xb9 5", "Рост № 5", u"Рост № 5"},
        {"\x88\x98", "€\xc2\x98", u"€\u0098"},
        {std::string("a\0b", 3), std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windows1251ToUtf8(c.bytes), c.utf8);
        EXPECT_EQ(windows1251ToUtf16(c.bytes), c.utf16);
    }
}

// Each byte alone, every byte in one text, and bytes whose forms differ in length side by side:
// the UTF-8 is that of the byte's character, however long the forms around it.
TEST(Windows1251, Utf8OfEveryByteIsTheUtf8OfItsCharacter) {
    std::string all;
    for (unsigned b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(windows1251ToUtf8(byte), utf16ToUtf8(windows1251ToUtf16(byte))) << "byte 0x" << std::hex << b;
        all += byte;
    }
    EXPECT_EQ(windows1251ToUtf8(all), utf16ToUtf8(windows1251ToUtf16(all)));
    const std::string mixed = "a\xb9\xe0\x88z\xff";
    EXPECT_EQ(windows1251ToUtf8(mixed), "a№а€zя");
}
