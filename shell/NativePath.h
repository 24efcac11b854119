// File paths as the system knows them: the bytes that came from the command line, a drop or the
// settings, kept as they are down to the core, so that a name in any encoding opens, saves and
// stays in the recent-file list. QString is only for showing a path.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace vornak {

// The bytes the system uses for a path typed or chosen as text.
QByteArray nativePath(const QString& path);
// The path for showing; bytes that are no text in the system's encoding show as replacement marks.
QString displayPath(const QByteArray& nativePath);
// True when displayPath(path) gives the same bytes back through nativePath.
bool isLosslessText(const QByteArray& nativePath);
// The path made absolute against the current folder, with "." and ".." steps and doubled slashes
// taken out (byte-wise: no name is decoded). Empty stays empty.
QByteArray absoluteNativePath(const QByteArray& path);
// The name after the last slash, for showing.
QString displayFileName(const QByteArray& nativePath);
// The bytes as the core's file operations take them.
inline std::string corePath(const QByteArray& nativePath) {
    return nativePath.toStdString();
}

} // namespace vornak
