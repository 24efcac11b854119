// The recent-file list of the File menu: at most eight full paths, the most recent first, with the
// menu texts the entries are shown with and their storage in the settings store.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace vornak {

class SettingsStore;

class RecentFileList {
public:
    static constexpr int maxEntries = 8;
    static constexpr int maxDisplayLength = 30;

    // One item of the File menu in the recent files' place.
    struct MenuEntry {
        int index;    // the entry in the list, -1 for the placeholder
        QString text; // "&1 name" with every "&" of the name doubled; the placeholder's own text
        bool enabled; // false only for the placeholder of an empty list

        bool operator==(const MenuEntry&) const = default;
    };

    RecentFileList() = default;

    // From now on every change is written to store at once (nullptr: only when write() is
    // called), so that the list survives an editor that does not end normally.
    void writeThrough(SettingsStore* store) { store_ = store; }
    // Whether the last write-through failed.
    bool writeFailed() const { return writeFailed_; }

    // Makes the path absolute and puts it at the top. An entry equal to it without regard to
    // letter case is replaced (the new spelling is kept); when the list was full, the oldest entry
    // falls off. An empty path is ignored. The entries are the system's path bytes, whatever
    // they hold.
    void add(const QByteArray& nativePath);
    void add(const QString& path);
    // Removes entry index (0-based); the entries after it move up. Out of range: nothing happens.
    void remove(int index);
    void clear();

    int size() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.isEmpty(); }
    // Entry index, or empty when out of range: as bytes, and as shown.
    QByteArray nativeAt(int index) const;
    QString at(int index) const;
    const QList<QByteArray>& nativeEntries() const { return entries_; }
    QStringList entries() const;

    // Replaces the list with the values File1..File8 of the store.
    void read(const SettingsStore& store);
    // Writes the list to the store; false when the store could not be written.
    bool write(SettingsStore& store) const;

    // The text of entry index's menu item: "&n " and its display name with "&" doubled.
    QString menuText(int index, const QString& currentFolder) const;
    // The items that take the place of the placeholder when the File menu opens: one per entry,
    // or the greyed placeholder "Недавние файлы" while the list is empty.
    std::vector<MenuEntry> menuEntries(const QString& currentFolder) const;

    // The name a path is shown with: the file name alone for a file in currentFolder; the path
    // itself when it is at most maxLength characters; otherwise the first folder, "/...", as many
    // of the last folders as fit and the file name; the file name alone when not even the first
    // folder, "/..." and the file name fit.
    static QString displayName(const QString& path, const QString& currentFolder,
                               int maxLength = maxDisplayLength);

private:
    void changed();

    QList<QByteArray> entries_;
    SettingsStore* store_ = nullptr;
    bool writeFailed_ = false;
};

} // namespace vornak
