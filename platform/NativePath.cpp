#include "NativePath.h"

#include <QDir>
#include <QFile>
#include <QList>

namespace vornak {

namespace {

// The length of the well-formed UTF-8 sequence at `at` (shortest form, no surrogates, at most
// U+10FFFF), or 0 when the byte there starts none.
qsizetype utf8Length(const QByteArray& bytes, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char first = byte(at);
    if (first < 0x80) {
        return 1;
    }
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        low = first == 0xE0 ? 0xA0 : 0x80;
        high = first == 0xED ? 0x9F : 0xBF;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        low = first == 0xF0 ? 0x90 : 0x80;
        high = first == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (qsizetype i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

bool needsEscapes(const QByteArray& path) {
    if (!isLosslessText(path)) {
        return true;
    }
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            return true;
        }
    }
    return false;
}

QString hexEscape(unsigned char byte) {
    return QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

QString displayPath(const QByteArray& path) {
    if (!needsEscapes(path)) {
        return QFile::decodeName(path);
    }
    QString shown;
    for (qsizetype i = 0; i < path.size();) {
        const auto byte = static_cast<unsigned char>(path.at(i));
        const qsizetype length = utf8Length(path, i);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            shown += hexEscape(byte);
            ++i;
        } else if (byte == '\\') {
            shown += QStringLiteral("\\\\");
            ++i;
        } else {
            shown += QString::fromUtf8(path.constData() + i, length);
            i += length;
        }
    }
    return shown;
}

bool isLosslessText(const QByteArray& path) {
    return QFile::encodeName(QFile::decodeName(path)) == path;
}

QByteArray absoluteNativePath(const QByteArray& path) {
    if (path.isEmpty()) {
        return path;
    }
    QByteArray full = path;
    if (!full.startsWith('/')) {
        full = QFile::encodeName(QDir::currentPath()) + '/' + full;
    }
    QList<QByteArray> kept;
    for (const QByteArray& part : full.split('/')) {
        if (part.isEmpty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!kept.isEmpty()) {
                kept.removeLast();
            }
            continue;
        }
        kept.append(part);
    }
    QByteArray out;
    for (const QByteArray& part : kept) {
        out += '/' + part;
    }
    return out.isEmpty() ? QByteArray("/") : out;
}

QString displayFileName(const QByteArray& path) {
    return displayPath(nativeFileName(path));
}

QByteArray nativeFolder(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return QByteArray();
    }
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray nativeFileName(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

} // namespace vornak
