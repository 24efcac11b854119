// The settings store's recent-file section, on files in a temporary folder.
#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornak;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file() const { return dir.filePath(QStringLiteral("vornak.conf")); }
    QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, RecentFilesRoundTrip) {
    const QStringList paths = {QStringLiteral("/data/stature.rpt"),
                               QStringLiteral("/home/эксперт/рост & вес.rpt"),
                               QStringLiteral("/data/a=b;c,d.rpt")};
    {
        SettingsStore store(file());
        EXPECT_TRUE(store.readRecentFiles().isEmpty());
        EXPECT_TRUE(store.writeRecentFiles(paths));
    }
    SettingsStore again(file());
    EXPECT_EQ(again.readRecentFiles(), paths);
}

TEST_F(SettingsStoreTest, StoresFileOneToEightInTheRecentFileGroup) {
    {
        SettingsStore store(file());
        QStringList ten;
        for (int i = 1; i <= 10; ++i) {
            ten << QStringLiteral("/p/%1.rpt").arg(i);
        }
        EXPECT_TRUE(store.writeRecentFiles(ten));
    }
    QSettings raw(file(), QSettings::NativeFormat);
    EXPECT_EQ(raw.childGroups(), QStringList{QStringLiteral("Recent File List")});
    raw.beginGroup(QStringLiteral("Recent File List"));
    QStringList keys = raw.childKeys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"File1", "File2", "File3", "File4", "File5", "File6", "File7", "File8"}));
    EXPECT_EQ(raw.value(QStringLiteral("File1")).toString(), QStringLiteral("/p/1.rpt"));
    EXPECT_EQ(raw.value(QStringLiteral("File8")).toString(), QStringLiteral("/p/8.rpt"));
}

TEST_F(SettingsStoreTest, WritingEmptiesTheGroupFirstAndSkipsEmptyEntries) {
    {
        QSettings raw(file(), QSettings::NativeFormat);
        raw.beginGroup(QStringLiteral("Recent File List"));
        for (int i = 1; i <= 8; ++i) {
            raw.setValue(QStringLiteral("File%1").arg(i), QStringLiteral("/old/%1.rpt").arg(i));
        }
        raw.setValue(QStringLiteral("Stray"), 1);
        raw.endGroup();
        raw.setValue(QStringLiteral("Settings/PreviewPages"), 1); // other sections stay
    }
    SettingsStore store(file());
    EXPECT_EQ(store.readRecentFiles().size(), 8);
    EXPECT_TRUE(
        store.writeRecentFiles({QStringLiteral("/new/a.rpt"), QString(), QStringLiteral("/new/b.rpt")}));

    SettingsStore again(file());
    EXPECT_EQ(again.readRecentFiles(),
              QStringList({QStringLiteral("/new/a.rpt"), QStringLiteral("/new/b.rpt")}));
    QSettings raw(file(), QSettings::NativeFormat);
    EXPECT_FALSE(raw.contains(QStringLiteral("Recent File List/File3")));
    EXPECT_FALSE(raw.contains(QStringLiteral("Recent File List/Stray")));
    EXPECT_EQ(raw.value(QStringLiteral("Settings/PreviewPages")).toInt(), 1);
}

TEST_F(SettingsStoreTest, ReadingSkipsGapsAndEmptyValues) {
    {
        QSettings raw(file(), QSettings::NativeFormat);
        raw.setValue(QStringLiteral("Recent File List/File2"), QStringLiteral("/b.rpt"));
        raw.setValue(QStringLiteral("Recent File List/File3"), QString());
        raw.setValue(QStringLiteral("Recent File List/File5"), QStringLiteral("/e.rpt"));
        raw.setValue(QStringLiteral("Recent File List/File9"), QStringLiteral("/i.rpt"));
    }
    SettingsStore store(file());
    EXPECT_EQ(store.readRecentFiles(), QStringList({QStringLiteral("/b.rpt"), QStringLiteral("/e.rpt")}));
}

TEST_F(SettingsStoreTest, AFailedWriteIsReported) {
    // The settings file's folder is a plain file, so it cannot be written. (A folder in the file's
    // place is damage, set aside: SettingsDamageTest.)
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore store(dir.filePath(QStringLiteral("blocker/blocked.conf")));
    EXPECT_FALSE(store.writeRecentFiles({QStringLiteral("/a.rpt")}));
}

TEST_F(SettingsStoreTest, UserSettingsCanBeMovedToAFolder) {
    SettingsStore::useFolderForUserSettings(dir.path());
    {
        SettingsStore store;
        EXPECT_EQ(store.fileName(), dir.filePath(QStringLiteral("Dulvarex/vornak.conf")));
        EXPECT_TRUE(store.writeRecentFiles({QStringLiteral("/x.rpt")}));
    }
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Dulvarex/vornak.conf"))));
    SettingsStore again;
    EXPECT_EQ(again.readRecentFiles(), QStringList{QStringLiteral("/x.rpt")});
}

// A home whose ~/.config is a plain file: the write fails, and the failure is said once, however
// often the list is written, naming the file; a store that writes has nothing to say.
TEST_F(SettingsStoreTest, AnUnwritableFileIsSaidOnce) {
    QFile plain(dir.filePath(QStringLiteral("config")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    SettingsStore blocked(dir.filePath(QStringLiteral("config/Dulvarex/vornak.conf")));
    EXPECT_TRUE(blocked.unsaidWriteFailure().isEmpty()) << "nothing was written yet";
    EXPECT_FALSE(blocked.writeRecentFiles({QStringLiteral("/data/a.rpt")}));
    const QString said = blocked.unsaidWriteFailure();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Не удалось записать файл настроек "))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("config/Dulvarex/vornak.conf"))) << said.toStdString();
    EXPECT_TRUE(blocked.unsaidWriteFailure().isEmpty());
    EXPECT_FALSE(blocked.writeRecentNativePaths({QByteArray("/data/b.rpt")}));
    EXPECT_TRUE(blocked.unsaidWriteFailure().isEmpty()) << "said once per run";

    SettingsStore fine(file());
    EXPECT_TRUE(fine.writeRecentFiles({QStringLiteral("/data/a.rpt")}));
    EXPECT_TRUE(fine.unsaidWriteFailure().isEmpty());
}
