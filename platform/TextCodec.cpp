#include "TextCodec.h"

#include "ReportDefinition.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace vornak {

namespace {

constexpr const char* codecName = "windows-1251";

// Appends the encoded text; false when a character had no byte (it became 0x1A).
bool encodeInto(const QString& text, std::string& out) {
    QStringEncoder encoder(codecName); // fresh: its error state never resets
    const QByteArray bytes = encoder.encode(text);
    out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return !encoder.hasError();
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

std::optional<std::string> TextCodec::encodeExactly(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    if (!encodeInto(text, out)) {
        return std::nullopt;
    }
    return out;
}

bool TextCodec::isEncodable(const QString& text) {
    return encodeExactly(text).has_value();
}

QString TextCodec::decode(std::string_view bytes) {
    QStringDecoder decoder(codecName);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string TextCodec::encodePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString TextCodec::decodePath(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
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
    for (const QChar c : text) {
        if (isLineBreak(c)) {
            return DefinitionTextProblem::LineBreak;
        }
    }
    // A text that cannot be encoded is reported as such even when it is also too long.
    std::string bytes;
    if (!encodeInto(text, bytes)) {
        return DefinitionTextProblem::Unencodable;
    }
    if (bytes.size() > maxLineBytes) {
        return DefinitionTextProblem::TooLong;
    }
    return DefinitionTextProblem::None;
}

bool fitsDefinitionFile(const QString& text) {
    return definitionTextProblem(text) == DefinitionTextProblem::None;
}

} // namespace vornak
