#include "EditText.h"

#include "ReportDefinition.h"
#include "TextCodec.h"

namespace vornak {

namespace {

// The part of `after` that is not shared with `before` at either end: [prefix, after.size() - suffix).
struct Difference {
    qsizetype prefix = 0;
    qsizetype suffix = 0;
};

Difference differenceOf(const QString& before, const QString& after) {
    Difference d;
    const qsizetype shorter = std::min(before.size(), after.size());
    while (d.prefix < shorter && before[d.prefix] == after[d.prefix]) {
        ++d.prefix;
    }
    while (d.suffix < shorter - d.prefix &&
           before[before.size() - 1 - d.suffix] == after[after.size() - 1 - d.suffix]) {
        ++d.suffix;
    }
    return d;
}

EditRefusal checkAdded(const QString& added) {
    for (const QChar c : added) {
        if (isLineBreak(c)) {
            return EditRefusal::LineBreak;
        }
    }
    if (!TextCodec::isEncodable(added)) {
        return EditRefusal::Unencodable;
    }
    return EditRefusal::None;
}

// Longer than a line may be, and longer than before: an edit that shortens an overlong text is
// allowed, so that the user can mend it.
bool tooLong(std::size_t before, std::size_t after) {
    return after > maxLineBytes && after > before;
}

} // namespace

QString displayText(std::string_view bytes) {
    return TextCodec::decode(bytes);
}

EditRefusal checkEdit(const QString& before, const QString& after) {
    const Difference d = differenceOf(before, after);
    const QString added = after.mid(d.prefix, after.size() - d.prefix - d.suffix);
    if (const EditRefusal refusal = checkAdded(added); refusal != EditRefusal::None) {
        return refusal;
    }
    // Windows-1251 has one byte per character.
    if (tooLong(static_cast<std::size_t>(before.size()), static_cast<std::size_t>(after.size()))) {
        return EditRefusal::TooLong;
    }
    return EditRefusal::None;
}

std::optional<std::string> editedBytes(std::string_view before, const QString& after, EditRefusal* refusal) {
    EditRefusal dummy = EditRefusal::None;
    EditRefusal& why = refusal ? *refusal : dummy;
    const QString shown = displayText(before);
    std::string bytes;
    if (static_cast<std::size_t>(shown.size()) == before.size()) {
        const Difference d = differenceOf(shown, after);
        const QString added = after.mid(d.prefix, after.size() - d.prefix - d.suffix);
        why = checkAdded(added);
        if (why != EditRefusal::None) {
            return std::nullopt;
        }
        const auto prefix = static_cast<std::size_t>(d.prefix);
        const auto suffix = static_cast<std::size_t>(d.suffix);
        bytes.reserve(prefix + static_cast<std::size_t>(added.size()) + suffix);
        bytes.append(before.substr(0, prefix));
        bytes.append(TextCodec::encode(added));
        bytes.append(before.substr(before.size() - suffix));
    } else {
        // Not one character per byte (cannot happen with Windows-1251): judge the whole text.
        why = checkAdded(after);
        if (why != EditRefusal::None) {
            return std::nullopt;
        }
        bytes = TextCodec::encode(after);
    }
    // Removing what stood between kept bytes must not make a line end the reader would split at.
    if (bytes.find('\n') != std::string::npos && before.find('\n') == std::string_view::npos) {
        why = EditRefusal::LineBreak;
        return std::nullopt;
    }
    if (tooLong(before.size(), bytes.size())) {
        why = EditRefusal::TooLong;
        return std::nullopt;
    }
    why = EditRefusal::None;
    return bytes;
}

} // namespace vornak
