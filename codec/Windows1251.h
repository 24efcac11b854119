// The Windows-1251 code page as a table, with the standard library only: the command-line tool's
// texts and the editor's display of file bytes go through it. Every byte has a character (the
// unassigned 0x98 is U+0098), so bytes decoded and encoded again are the bytes read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornak {

// The character a byte stands for.
char32_t windows1251ToUnicode(unsigned char byte);
// The byte of a character, or nothing when the code page has none.
std::optional<unsigned char> unicodeToWindows1251(char32_t character);

// Windows-1251 bytes as UTF-8.
std::string windows1251ToUtf8(std::string_view bytes);
// Windows-1251 bytes as UTF-16.
std::u16string windows1251ToUtf16(std::string_view bytes);

} // namespace vornak
