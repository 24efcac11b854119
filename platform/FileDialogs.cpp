#include "FileDialogs.h"

#include <QFileInfo>
#include <QStringList>

namespace vornak {

std::optional<QString> FileDialogs::open(QWidget* parent, const QString& filter,
                                         const QString& defaultExtension, const QString& initialFileName) {
    return choose(parent,
                  {FileDialogKind::Open, QString(), filter, defaultExtension, initialFileName, false});
}

// Save dialogs always ask before replacing an existing file.
std::optional<QString> FileDialogs::save(QWidget* parent, const QString& filter,
                                         const QString& defaultExtension, const QString& initialFileName) {
    return choose(parent, {FileDialogKind::Save, QString(), filter, defaultExtension, initialFileName, true});
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
