// The border between the screen's QString and the model's Windows-1251 bytes, the gate every edit
// goes through so that the editor only ever writes what a definition file can hold, and the
// conversion of file paths to the native 8-bit form the model's file operations take.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace vornak {

// Why a text cannot go into a definition file.
enum class DefinitionTextProblem {
    None,
    LineBreak,   // CR, LF, VT, FF, NEL, U+2028 or U+2029
    Unencodable, // a character without a Windows-1251 byte
    TooLong,     // more than maxLineBytes (2047) bytes once encoded
};

class TextCodec {
public:
    // True when the platform's converters know Windows-1251 (checked once, then remembered).
    static bool isAvailable();

    // Encodes to Windows-1251. A character without a byte becomes 0x1A; use encodeExactly or
    // isEncodable where that matters.
    static std::string encode(const QString& text);
    // Encodes, or nothing when any character has no Windows-1251 byte.
    static std::optional<std::string> encodeExactly(const QString& text);
    static bool isEncodable(const QString& text);
    // Decodes Windows-1251. Every byte decodes to one character that encodes back to it (the
    // unassigned 0x98 as U+0098), so a text read from a file and written back keeps its bytes.
    static QString decode(std::string_view bytes);

    // File paths: QString to the native 8-bit path the model's file operations take, and back.
    static std::string encodePath(const QString& path);
    static QString decodePath(std::string_view path);
};

// The first reason the text cannot be stored in a definition file, or None.
DefinitionTextProblem definitionTextProblem(const QString& text);
// True when the text can be stored in one line of a definition file: no line break, every
// character has a Windows-1251 byte, at most 2047 bytes.
bool fitsDefinitionFile(const QString& text);
// True for the characters that break a line.
bool isLineBreak(QChar c);

} // namespace vornak
