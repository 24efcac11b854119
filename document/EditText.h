// The border between the screen's QString and the model's Windows-1251 bytes, and the gate every
// edit passes: a definition file cannot hold a line break, a character without a Windows-1251 byte,
// or a line longer than 2047 bytes. An edit is judged by what it adds, so a text read from a file
// with an odd byte (a lone CR) can still be edited, and what it keeps stays byte for byte.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace vornak {

enum class EditRefusal { None, LineBreak, Unencodable, TooLong };

// Model bytes as the screen shows them (every byte one character that encodes back to it).
QString displayText(std::string_view bytes);

// Why changing `before` into `after` is refused, looking only at what the change adds; None when
// accepted. For the validators of cell editors and fields.
EditRefusal checkEdit(const QString& before, const QString& after);

// The bytes `after` stands for when it replaces the model's `before`: the characters kept from
// `before` keep their bytes, the added ones are encoded. Nothing when checkEdit refuses the change.
std::optional<std::string> editedBytes(std::string_view before, const QString& after,
                                       EditRefusal* refusal = nullptr);

} // namespace vornak
