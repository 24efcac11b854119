#include "RecentFileList.h"

#include "NativePath.h"
#include "SettingsStore.h"
#include "Texts.h"

#include <QDir>
#include <QFileInfo>

namespace vornak {

namespace {

// The same file as far as the list is concerned: the same bytes, or names that are text and
// differ only in letter case.
bool samePath(const QByteArray& a, const QByteArray& b) {
    return a == b || (isLosslessText(a) && isLosslessText(b) &&
                      displayPath(a).compare(displayPath(b), Qt::CaseInsensitive) == 0);
}

} // namespace

void RecentFileList::add(const QString& path) {
    add(nativePath(path));
}

void RecentFileList::add(const QByteArray& path) {
    if (path.isEmpty()) {
        return;
    }
    const QByteArray full = absoluteNativePath(path);
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        if (samePath(entries_.at(i), full)) {
            entries_.removeAt(i);
            break;
        }
    }
    const QList<QByteArray> before = entries_;
    entries_.prepend(full);
    while (entries_.size() > maxEntries) {
        entries_.removeLast();
    }
    if (entries_ != before) {
        changed();
    }
}

void RecentFileList::remove(int index) {
    if (index >= 0 && index < entries_.size()) {
        entries_.removeAt(index);
        changed();
    }
}

void RecentFileList::clear() {
    if (!entries_.isEmpty()) {
        entries_.clear();
        changed();
    }
}

void RecentFileList::changed() {
    if (store_ != nullptr) {
        writeFailed_ = !write(*store_);
    }
}

QByteArray RecentFileList::nativeAt(int index) const {
    return index >= 0 && index < entries_.size() ? entries_.at(index) : QByteArray();
}

QString RecentFileList::at(int index) const {
    return displayPath(nativeAt(index));
}

QStringList RecentFileList::entries() const {
    QStringList shown;
    for (const QByteArray& path : entries_) {
        shown << displayPath(path);
    }
    return shown;
}

void RecentFileList::read(const SettingsStore& store) {
    entries_ = store.readRecentNativePaths();
    while (entries_.size() > maxEntries) {
        entries_.removeLast();
    }
}

bool RecentFileList::write(SettingsStore& store) const {
    return store.writeRecentNativePaths(entries_);
}

QString RecentFileList::menuText(int index, const QString& currentFolder) const {
    QString name = displayName(at(index), currentFolder);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 ").arg(index + 1) + name;
}

std::vector<RecentFileList::MenuEntry> RecentFileList::menuEntries(const QString& currentFolder) const {
    std::vector<MenuEntry> items;
    if (entries_.isEmpty()) {
        items.push_back(MenuEntry{-1, texts::recentFilesPlaceholder, false});
        return items;
    }
    for (int i = 0; i < size(); ++i) {
        items.push_back(MenuEntry{i, menuText(i, currentFolder), true});
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
