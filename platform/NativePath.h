// File paths as the system knows them: the bytes that came from the command line, a drop, the
// settings or a recovery copy, kept as they are down to the core, so that a name in any encoding
// opens, saves and stays in the recent-file list. QString is only for showing a path, and what it
// shows is unambiguous: a name that is not plain text shows its odd bytes as "\xHH".
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace vornak {

// The bytes the system uses for a path typed or chosen as text.
QByteArray nativePath(const QString& path);
// The path for showing. A path that is text in the system's encoding, with no control character
// and no backslash, shows as that text; in any other every byte that is no text and every control
// character shows as "\xHH" and a backslash as "\\", so that no two paths look the same.
QString displayPath(const QByteArray& nativePath);
// True when the path is text in the system's encoding (it decodes and encodes back to itself).
bool isLosslessText(const QByteArray& nativePath);
// The path made absolute against the current folder, with "." and ".." steps and doubled slashes
// taken out (byte-wise: no name is decoded). Empty stays empty.
QByteArray absoluteNativePath(const QByteArray& path);
// The name after the last slash, shown as displayPath shows it.
QString displayFileName(const QByteArray& nativePath);
// The folder part (up to the last slash, without it; "/" for the root; empty when there is none).
QByteArray nativeFolder(const QByteArray& nativePath);
QByteArray nativeFileName(const QByteArray& nativePath);
// The bytes as the core's file operations take them.
inline std::string corePath(const QByteArray& nativePath) {
    return nativePath.toStdString();
}
inline QByteArray nativePath(const std::string& corePath) {
    return QByteArray(corePath.data(), static_cast<qsizetype>(corePath.size()));
}

} // namespace vornak
