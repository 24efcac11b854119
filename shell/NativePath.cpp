#include "NativePath.h"

#include <QDir>
#include <QFile>
#include <QList>

namespace vornak {

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

QString displayPath(const QByteArray& path) {
    return QFile::decodeName(path);
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
    const qsizetype slash = path.lastIndexOf('/');
    return displayPath(slash < 0 ? path : path.mid(slash + 1));
}

} // namespace vornak
