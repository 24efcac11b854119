// The one Windows-1251 codec of the editor and the command-line tool: the border between the
// screen's QString and the model's bytes, the gate every edit goes through so that only what a
// definition file can hold is written, and the conversion of file paths to the native 8-bit form
// the model's file operations take. Qt Core only.
#pragma once

#include <QString>

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

    // Encodes to Windows-1251. A character without a byte becomes 0x1A; check isEncodable where
    // that matters.
    static std::string encode(const QString& text);
    // True when every character has a Windows-1251 byte.
    static bool isEncodable(const QString& text);
    // Decodes Windows-1251. Every byte decodes to one character that encodes back to it (the
    // unassigned 0x98 as U+0098), so a text read from a file and written back keeps its bytes.
    static QString decode(std::string_view bytes);
    // Windows-1251 bytes as UTF-8, for a terminal.
    static std::string toUtf8(std::string_view bytes);

    // A file path as the native 8-bit path the model's file operations take.
    static std::string encodePath(const QString& path);
};

// The first reason the text cannot be stored in a definition file, or None.
DefinitionTextProblem definitionTextProblem(const QString& text);
// True when the text can be stored in one line of a definition file: no line break, every
// character has a Windows-1251 byte, at most 2047 bytes.
bool fitsDefinitionFile(const QString& text);
// What is wrong with a change from before to after, judged by what the change adds: a line break
// or an unencodable character among the characters it puts in, or growth of a text past 2047
// bytes. A text that was already odd (read from a file) may still be edited elsewhere and shortened.
DefinitionTextProblem definitionTextChangeProblem(const QString& before, const QString& after);
// True when definitionTextChangeProblem finds nothing.
bool definitionTextChangeAllowed(const QString& before, const QString& after);
// True for the characters that break a line.
bool isLineBreak(QChar c);

} // namespace vornak
