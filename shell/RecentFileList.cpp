#include "RecentFileList.h"

#include "CommandIds.h"
#include "SettingsStore.h"
#include "Texts.h"

#include <QDir>
#include <QFileInfo>

namespace vornak {

void RecentFileList::add(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (entries_.at(i).compare(full, Qt::CaseInsensitive) == 0) {
            entries_.removeAt(i);
            break;
        }
    }
    entries_.prepend(full);
    while (entries_.size() > maxEntries) {
        entries_.removeLast();
    }
}

void RecentFileList::remove(int index) {
    if (index >= 0 && index < entries_.size()) {
        entries_.removeAt(index);
    }
}

QString RecentFileList::at(int index) const {
    return index >= 0 && index < entries_.size() ? entries_.at(index) : QString();
}

void RecentFileList::read(const SettingsStore& store) {
    entries_ = store.readRecentFiles();
    while (entries_.size() > maxEntries) {
        entries_.removeLast();
    }
}

bool RecentFileList::write(SettingsStore& store) const {
    return store.writeRecentFiles(entries_);
}

QString RecentFileList::menuText(int index, const QString& currentFolder) const {
    QString name = displayName(at(index), currentFolder);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 ").arg(index + 1) + name;
}

std::vector<RecentFileList::MenuEntry> RecentFileList::menuEntries(const QString& currentFolder) const {
    std::vector<MenuEntry> items;
    if (entries_.isEmpty()) {
        items.push_back(MenuEntry{cmd::RecentFileFirst, texts::recentFilesPlaceholder, false});
        return items;
    }
    for (int i = 0; i < size(); ++i) {
        items.push_back(MenuEntry{cmd::RecentFileFirst + i, menuText(i, currentFolder), true});
    }
    return items;
}

QString RecentFileList::displayName(const QString& path, const QString& currentFolder, int maxLength) {
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    if (!currentFolder.isEmpty() && !fileName.isEmpty() &&
        QDir::cleanPath(info.path()) == QDir::cleanPath(currentFolder)) {
        return fileName;
    }
    if (path.size() <= maxLength) {
        return path;
    }
    const bool rooted = path.startsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    // Nothing to leave out between the first folder and the file name.
    if (parts.size() < 3) {
        return fileName;
    }
    const QString head = (rooted ? QStringLiteral("/") : QString()) + parts.first() + QStringLiteral("/...");
    QString tail = QLatin1Char('/') + parts.last();
    if (head.size() + tail.size() > maxLength) {
        return fileName;
    }
    for (qsizetype i = parts.size() - 2; i >= 1; --i) {
        const QString longer = QLatin1Char('/') + parts.at(i) + tail;
        if (head.size() + longer.size() > maxLength) {
            break;
        }
        tail = longer;
    }
    return head + tail;
}

} // namespace vornak
