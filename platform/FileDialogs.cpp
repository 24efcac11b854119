#include "FileDialogs.h"

#include "NativePath.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace vornak {

std::optional<QString> FileDialogs::open(QWidget* parent, const QString& filter,
                                         const QString& defaultExtension, const QString& initialFileName) {
    return choose(parent, {FileDialogKind::Open, QString(), filter, defaultExtension, initialFileName, false,
                           QByteArray()});
}

// Save dialogs always ask before replacing an existing file.
std::optional<QString> FileDialogs::save(QWidget* parent, const QString& filter,
                                         const QString& defaultExtension, const QString& initialFileName) {
    return choose(parent, {FileDialogKind::Save, QString(), filter, defaultExtension, initialFileName, true,
                           QByteArray()});
}

std::optional<QByteArray> FileDialogs::chooseNative(QWidget* parent, const FileDialogRequest& request) {
    const std::optional<QString> chosen = choose(parent, request);
    if (!chosen) {
        return std::nullopt;
    }
    return nativeChoice(*chosen, request.initialNativePath, request.defaultExtension);
}

std::optional<QByteArray> FileDialogs::openNative(QWidget* parent, const QString& filter,
                                                  const QString& defaultExtension,
                                                  const QByteArray& initialNativePath) {
    return chooseNative(parent, {FileDialogKind::Open, QString(), filter, defaultExtension,
                                 displayPath(initialNativePath), false, initialNativePath});
}

std::optional<QByteArray> FileDialogs::saveNative(QWidget* parent, const QString& filter,
                                                  const QString& defaultExtension,
                                                  const QByteArray& initialNativePath) {
    return chooseNative(parent, {FileDialogKind::Save, QString(), filter, defaultExtension,
                                 displayPath(initialNativePath), true, initialNativePath});
}

QByteArray nativeChoice(const QString& chosen, const QByteArray& suggested, const QString& defaultExtension) {
    if (suggested.isEmpty() || chosen.isEmpty()) {
        return nativePath(chosen);
    }
    const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
    const QString chosenFolder =
        slash < 0 ? QString() : (slash == 0 ? QStringLiteral("/") : chosen.left(slash));
    const QString chosenName = slash < 0 ? chosen : chosen.mid(slash + 1);

    const QByteArray suggestedFolder =
        absoluteNativePath(nativeFolder(suggested).isEmpty() ? QByteArray(".") : nativeFolder(suggested));
    QByteArray folder;
    if (slash < 0) {
        folder = QByteArray();
    } else if (chosenFolder == displayPath(suggestedFolder) ||
               chosenFolder == QFile::decodeName(suggestedFolder)) {
        folder = suggestedFolder;
    } else {
        folder = nativePath(chosenFolder);
    }
    const auto joined = [&folder](const QByteArray& name) {
        if (folder.isEmpty()) {
            return name;
        }
        return folder.endsWith('/') ? folder + name : folder + '/' + name;
    };

    const QByteArray suggestedName = nativeFileName(suggested);
    QString extension = defaultExtension;
    if (extension.startsWith(QLatin1Char('.'))) {
        extension.remove(0, 1);
    }
    const QString dotExtension = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    const QList<QPair<QString, QByteArray>> shownAs = {
        {displayPath(suggestedName), suggestedName},
        {displayPath(suggestedName) + dotExtension, suggestedName + nativePath(dotExtension)},
    };
    for (const auto& [shown, bytes] : shownAs) {
        if (!suggestedName.isEmpty() && chosenName == shown) {
            return joined(bytes);
        }
    }
    // The system's own decoding, which turns odd bytes into replacement marks: the suggestion,
    // unless a file really has that name.
    const QList<QPair<QString, QByteArray>> decodedAs = {
        {QFile::decodeName(suggestedName), suggestedName},
        {QFile::decodeName(suggestedName) + dotExtension, suggestedName + nativePath(dotExtension)},
    };
    for (const auto& [shown, bytes] : decodedAs) {
        std::error_code error;
        if (!suggestedName.isEmpty() && chosenName == shown && bytes != nativePath(chosenName) &&
            std::filesystem::symlink_status(corePath(joined(nativePath(chosenName))), error).type() ==
                std::filesystem::file_type::not_found) {
            return joined(bytes);
        }
    }
    return joined(nativePath(chosenName));
}

namespace {

// "Report Files(*.rpt)" -> "Report Files": the description without the patterns it shows.
QString descriptionWithoutPatterns(QString description) {
    description = description.trimmed();
    if (description.endsWith(QLatin1Char(')'))) {
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0) {
            description = description.left(open).trimmed();
        }
    }
    return description;
}

QString convertPatterns(const QString& patterns) {
    QStringList converted;
    for (const QString& raw : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = raw.trimmed();
        if (pattern.isEmpty()) {
            continue;
        }
        converted << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return converted.join(QLatin1Char(' '));
}

} // namespace

QString convertFilter(const QString& barSeparatedFilter) {
    QStringList parts = barSeparatedFilter.split(QLatin1Char('|'));
    // The list ends with "||": drop the empty fields it leaves.
    while (!parts.isEmpty() && parts.last().isEmpty()) {
        parts.removeLast();
    }
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = convertPatterns(parts.at(i + 1));
        if (patterns.isEmpty()) {
            continue;
        }
        QString description = descriptionWithoutPatterns(parts.at(i));
        if (description.isEmpty()) {
            description = patterns;
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

QString appendDefaultExtension(const QString& path, const QString& defaultExtension) {
    if (defaultExtension.isEmpty() || path.isEmpty()) {
        return path;
    }
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.lastIndexOf(QLatin1Char('.')) > 0) {
        return path;
    }
    QString extension = defaultExtension;
    if (extension.startsWith(QLatin1Char('.'))) {
        extension.remove(0, 1);
    }
    return path + QLatin1Char('.') + extension;
}

} // namespace vornak
