#include "TextCodec.h"

#include "ReportDefinition.h"
#include "Windows1251.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace vornak {

namespace {

constexpr const char* codecName = "windows-1251";

// Appends the encoded text; false when a character had no byte (it became 0x1A).
bool encodeInto(QStringView text, std::string& out) {
    QStringEncoder encoder(codecName); // fresh: its error state never resets
    const QByteArray bytes = encoder.encode(text);
    out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return !encoder.hasError();
}

// The first problem among the characters themselves (not the length).
DefinitionTextProblem characterProblem(QStringView text) {
    if (std::any_of(text.begin(), text.end(), isLineBreak)) {
        return DefinitionTextProblem::LineBreak;
    }
    std::string bytes;
    if (!encodeInto(text, bytes)) {
        return DefinitionTextProblem::Unencodable;
    }
    return DefinitionTextProblem::None;
}

} // namespace

bool TextCodec::isAvailable() {
    static const bool available = QStringEncoder(codecName).isValid() && QStringDecoder(codecName).isValid();
    return available;
}

std::string TextCodec::encode(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    encodeInto(text, out);
    return out;
}

bool TextCodec::isEncodable(const QString& text) {
    std::string out;
    return encodeInto(text, out);
}

QString TextCodec::decode(std::string_view bytes) {
    const std::u16string text = windows1251ToUtf16(bytes);
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::string TextCodec::toUtf8(std::string_view bytes) {
    return windows1251ToUtf8(bytes);
}

std::string TextCodec::encodePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A: // line feed
    case 0x000B: // vertical tab
    case 0x000C: // form feed
    case 0x000D: // carriage return
    case 0x0085: // next line
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        return false;
    }
}

DefinitionTextProblem definitionTextProblem(const QString& text) {
    // A text that cannot be encoded is reported as such even when it is also too long.
    if (const DefinitionTextProblem problem = characterProblem(text);
        problem != DefinitionTextProblem::None) {
        return problem;
    }
    if (TextCodec::encode(text).size() > maxLineBytes) {
        return DefinitionTextProblem::TooLong;
    }
    return DefinitionTextProblem::None;
}

bool fitsDefinitionFile(const QString& text) {
    return definitionTextProblem(text) == DefinitionTextProblem::None;
}

DefinitionTextProblem definitionTextChangeProblem(const QString& before, const QString& after) {
    // What the change puts in lies between the parts that before and after share at either end.
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before.at(prefix) == after.at(prefix)) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix)) {
        ++suffix;
    }
    // Never split a surrogate pair: a half would look unencodable on its own.
    if (prefix > 0 && after.at(prefix - 1).isHighSurrogate()) {
        --prefix;
    }
    if (suffix > 0 && after.at(after.size() - suffix).isLowSurrogate()) {
        --suffix;
    }
    const QStringView added = QStringView(after).mid(prefix, after.size() - prefix - suffix);
    if (const DefinitionTextProblem problem = characterProblem(added);
        problem != DefinitionTextProblem::None) {
        return problem;
    }
    const std::size_t afterBytes = TextCodec::encode(after).size();
    if (afterBytes > maxLineBytes && afterBytes > TextCodec::encode(before).size()) {
        return DefinitionTextProblem::TooLong;
    }
    return DefinitionTextProblem::None;
}

bool definitionTextChangeAllowed(const QString& before, const QString& after) {
    return definitionTextChangeProblem(before, after) == DefinitionTextProblem::None;
}

} // namespace vornak
