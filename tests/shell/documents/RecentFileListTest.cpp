// The recent-file list: order, matching, capacity, removal, menu texts, display names, storage.
#include "RecentFileList.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornak;

namespace {

QStringList pathsOf(const RecentFileList& list) {
    return list.entries();
}

RecentFileList listOf(const QStringList& mostRecentFirst) {
    RecentFileList list;
    for (auto it = mostRecentFirst.rbegin(); it != mostRecentFirst.rend(); ++it) {
        list.add(*it);
    }
    return list;
}

} // namespace

TEST(RecentFileList, AddKeepsTheMostRecentFirst) {
    struct Case {
        const char* name;
        QStringList before;
        QString added;
        QStringList after;
    };
    const Case cases[] = {
        {"into an empty list", {}, "/d/a.rpt", {"/d/a.rpt"}},
        {"new path goes on top", {"/d/a.rpt", "/d/b.rpt"}, "/d/c.rpt", {"/d/c.rpt", "/d/a.rpt", "/d/b.rpt"}},
        {"existing path moves to the top",
         {"/d/a.rpt", "/d/b.rpt", "/d/c.rpt"},
         "/d/c.rpt",
         {"/d/c.rpt", "/d/a.rpt", "/d/b.rpt"}},
        {"top entry stays single", {"/d/a.rpt", "/d/b.rpt"}, "/d/a.rpt", {"/d/a.rpt", "/d/b.rpt"}},
        {"match ignores letter case and keeps the new spelling",
         {"/d/a.rpt", "/D/Stature.RPT"},
         "/d/stature.rpt",
         {"/d/stature.rpt", "/d/a.rpt"}},
        {"cyrillic case is folded too",
         {"/d/Рост.rpt", "/d/a.rpt"},
         "/d/РОСТ.rpt",
         {"/d/РОСТ.rpt", "/d/a.rpt"}},
        {"a full list drops its oldest",
         {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"},
         "/9",
         {"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
        {"a full list keeps all when the path is in it",
         {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"},
         "/8",
         {"/8", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
        {"the path is cleaned", {"/d/a.rpt"}, "/d/x/../a.rpt", {"/d/a.rpt"}},
        {"an empty path is ignored", {"/d/a.rpt"}, "", {"/d/a.rpt"}},
    };
    for (const Case& c : cases) {
        RecentFileList list = listOf(c.before);
        list.add(c.added);
        EXPECT_EQ(pathsOf(list), c.after) << c.name;
    }
}

TEST(RecentFileList, AddMakesRelativePathsFull) {
    RecentFileList list;
    list.add(QStringLiteral("stature.rpt"));
    EXPECT_EQ(list.at(0), QDir::cleanPath(QDir::currentPath() + QStringLiteral("/stature.rpt")));
}

TEST(RecentFileList, RemoveClosesTheGap) {
    struct Case {
        int index;
        QStringList after;
    };
    const QStringList three = {"/a", "/b", "/c"};
    const Case cases[] = {
        {0, {"/b", "/c"}}, {1, {"/a", "/c"}}, {2, {"/a", "/b"}}, {3, three}, {-1, three},
    };
    for (const Case& c : cases) {
        RecentFileList list = listOf(three);
        list.remove(c.index);
        EXPECT_EQ(pathsOf(list), c.after) << c.index;
    }
    EXPECT_EQ(listOf(three).at(5), QString());
}

TEST(RecentFileList, DisplayNames) {
    struct Case {
        QString path;
        QString currentFolder;
        QString shown;
    };
    const Case cases[] = {
        // In the current folder: the name alone, however long the path.
        {"/work/stature.rpt", "/work", "stature.rpt"},
        {"/work/stature.rpt", "/work/", "stature.rpt"},
        {"/home/user/documents/reports/2024/stature.rpt", "/home/user/documents/reports/2024", "stature.rpt"},
        // Elsewhere and short: the path as it is.
        {"/work/sub/stature.rpt", "/work", "/work/sub/stature.rpt"},
        {"/data/stature.rpt", "/work", "/data/stature.rpt"},
        {"/data/abcdefghijkl/stature.rpt", "/work", "/data/abcdefghijkl/stature.rpt"}, // 30 characters
        // Longer than 30: first folder, "/...", the last folders that fit, the name.
        {"/data/abcdefghijklm/stature.rpt", "/work", "/data/.../stature.rpt"}, // 31 characters
        {"/home/user/documents/reports/2024/stature.rpt", "/work", "/home/.../2024/stature.rpt"},
        {"/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o.rpt", "/work", "/a/.../f/g/h/i/j/k/l/m/n/o.rpt"},
        {"/home/эксперт/документы/отчёты/рост.rpt", "/work", "/home/.../отчёты/рост.rpt"},
        // Not even the first folder, "/..." and the name fit: the name alone.
        {"/home/user/a_very_long_report_file_name.rpt", "/work", "a_very_long_report_file_name.rpt"},
        {"/verylongfoldername_abcdefghij/stature.rpt", "/work", "stature.rpt"},
        {"/a_remarkably_long_report_file_name_indeed.rpt", "/work",
         "a_remarkably_long_report_file_name_indeed.rpt"},
        // No current folder known.
        {"/work/stature.rpt", "", "/work/stature.rpt"},
    };
    for (const Case& c : cases) {
        const QString shown = RecentFileList::displayName(c.path, c.currentFolder);
        EXPECT_EQ(shown, c.shown) << c.path.toStdString();
        const bool nameAlone = !shown.contains(QLatin1Char('/'));
        EXPECT_TRUE(shown.size() <= RecentFileList::maxDisplayLength || nameAlone) << c.path.toStdString();
    }
}

TEST(RecentFileList, MenuEntriesNumberTheFilesAndDoubleAmpersands) {
    const RecentFileList list = listOf({"/work/R&D.rpt", "/data/a&b/c.rpt", "/data/x.rpt"});
    const std::vector<RecentFileList::MenuEntry> expected = {
        {0, QStringLiteral("&1 R&&D.rpt"), true},
        {1, QStringLiteral("&2 /data/a&&b/c.rpt"), true},
        {2, QStringLiteral("&3 /data/x.rpt"), true},
    };
    EXPECT_EQ(list.menuEntries(QStringLiteral("/work")), expected);
}

TEST(RecentFileList, EmptyListShowsTheGreyedPlaceholder) {
    const RecentFileList list;
    const std::vector<RecentFileList::MenuEntry> expected = {{-1, QStringLiteral("Недавние файлы"), false}};
    EXPECT_EQ(list.menuEntries(QStringLiteral("/work")), expected);
}

TEST(RecentFileList, NineFilesGiveEightItems) {
    RecentFileList list;
    for (int i = 1; i <= 9; ++i) {
        list.add(QStringLiteral("/data/%1.rpt").arg(i));
    }
    const auto items = list.menuEntries(QStringLiteral("/data"));
    ASSERT_EQ(items.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(items[i].index, i);
        EXPECT_EQ(items[i].text, QStringLiteral("&%1 %2.rpt").arg(i + 1).arg(9 - i));
    }
}

TEST(RecentFileList, ReadAndWriteThroughTheSettingsStore) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vornak.conf"));
    RecentFileList written = listOf({"/data/b.rpt", "/data/a.rpt", "/home/эксперт/рост & вес.rpt"});
    {
        SettingsStore store(file);
        EXPECT_TRUE(written.write(store));
    }
    SettingsStore store(file);
    RecentFileList read = listOf({"/stale.rpt"});
    read.read(store);
    EXPECT_EQ(read.entries(), written.entries());

    // Removing an entry and writing back leaves no stale value behind.
    read.remove(0);
    EXPECT_TRUE(read.write(store));
    RecentFileList again;
    again.read(SettingsStore(file));
    EXPECT_EQ(again.entries(), QStringList({"/data/a.rpt", "/home/эксперт/рост & вес.rpt"}));
}

// The list is in the settings file as soon as it changes, so an editor that is killed keeps it.
TEST(RecentFileList, EveryChangeIsWrittenAtOnceWhenWrittenThrough) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vornak.conf"));
    SettingsStore store(file);
    RecentFileList list;
    list.writeThrough(&store);
    const auto stored = [&file] {
        RecentFileList read;
        read.read(SettingsStore(file));
        return read.nativeEntries();
    };
    const QByteArray odd("/data/bad\xff\xfe.rpt");
    list.add(QByteArray("/data/a.rpt"));
    list.add(odd);
    EXPECT_EQ(stored(), (QList<QByteArray>{odd, "/data/a.rpt"}));
    list.remove(0);
    EXPECT_EQ(stored(), QList<QByteArray>{"/data/a.rpt"});
    list.clear();
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(list.writeFailed());

    // A settings file that cannot be written is noticed.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore broken(dir.filePath(QStringLiteral("blocker/vornak.conf")));
    list.writeThrough(&broken);
    list.add(QByteArray("/data/b.rpt"));
    EXPECT_TRUE(list.writeFailed());
}
