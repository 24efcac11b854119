// UTF-8 and UTF-16 for file names on systems whose file calls take UTF-16. A name may hold an
// unpaired surrogate (the system allows it); it is carried through UTF-8 as its own three-byte
// form, so that every name converts back to the very name it came from.
#pragma once

#include <string>
#include <string_view>

namespace vornak {

std::string utf16ToUtf8(std::u16string_view text);
// Bytes that are not UTF-8 become U+FFFD, one for each such byte.
std::u16string utf8ToUtf16(std::string_view text);

} // namespace vornak
