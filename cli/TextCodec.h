// Turns the Windows-1251 bytes that definition files hold into UTF-8 for the terminal.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vornak::cli {

// False when the Qt build lacks the windows-1251 codec (no ICU); every decode would then fail.
bool windows1251Available();

// The bytes read as Windows-1251 (every byte decodes to some character, so nothing is lost).
QString decodeWindows1251(std::string_view bytes);
std::string windows1251ToUtf8(std::string_view bytes);

} // namespace vornak::cli
