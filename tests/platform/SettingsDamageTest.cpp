// A damaged settings file never costs the user more than the settings: it is set aside under a
// dated name, a clean file takes its place, the user is told once, and writes work again. A file
// far too large, a pipe or a folder in its place is never read. The unreadable cases need an
// ordinary user: run as root, they run again as nobody.
#include "SettingsFileCheck.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace vornak;

namespace {

const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
const QString asideSuffix = QStringLiteral(".damaged-2024-03-05-140709");

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray binaryBytes() {
    QByteArray bytes(4096, '\0');
    for (int i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 7919 + 13) % 256);
    }
    return bytes;
}

struct DamageCase {
    const char* name;
    std::function<bool(const QString& file)> make; // puts the damage in the file's place
    SettingsDamage damage;                         // what the check before reading finds
    bool keepsBytes;                               // the set-aside file holds what was there
};

class SettingsDamageTest : public ::testing::TestWithParam<DamageCase> {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file() const { return dir.filePath(QStringLiteral("vornak.conf")); }
    QTemporaryDir dir;
};

const QByteArray unparsable("[Recent File List\nFile1=/data/a.rpt\n");
const QByteArray binary = binaryBytes();

TEST_P(SettingsDamageTest, IsSetAsideAndACleanFileWritten) {
    const DamageCase& c = GetParam();
    ASSERT_TRUE(c.make(file()));
    const QByteArray before = c.keepsBytes ? readFile(file()) : QByteArray();
    EXPECT_EQ(checkSettingsFile(file(), SettingsStore::maxFileBytes), c.damage);

    SettingsStore store(file(), when);
    const QString aside = file() + asideSuffix;
    // Found at once, with a clean file put in place before anything is written.
    EXPECT_TRUE(QFileInfo(file()).isFile());
    EXPECT_TRUE(QFileInfo::exists(aside));
    EXPECT_TRUE(store.readRecentFiles().isEmpty());
    EXPECT_TRUE(store.writeRecentFiles({QStringLiteral("/data/new.rpt")}));
    EXPECT_TRUE(store.writeWindowGeometry(QByteArray("geometry")));
    EXPECT_TRUE(store.unsaidWriteFailure().isEmpty());
    // The note says what happened and where the old file went, once.
    const QString note = store.unsaidDamage();
    EXPECT_TRUE(note.contains(QDir::toNativeSeparators(aside))) << note.toStdString();
    EXPECT_TRUE(store.unsaidDamage().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(aside));
    if (c.keepsBytes) {
        EXPECT_EQ(readFile(aside), before);
    }
    EXPECT_TRUE(QFileInfo(file()).isFile());
    SettingsStore again(file(), when);
    EXPECT_TRUE(again.unsaidDamage().isEmpty());
    EXPECT_EQ(again.readRecentFiles(), QStringList{QStringLiteral("/data/new.rpt")});
}

std::vector<DamageCase> damageCases() {
    std::vector<DamageCase> cases = {
        DamageCase{"the reader finds it damaged", [](const QString& f) { return writeFile(f, unparsable); },
                   SettingsDamage::None, true},
        DamageCase{"binary", [](const QString& f) { return writeFile(f, binary); }, SettingsDamage::Unparsable,
                   true},
        DamageCase{"a zero byte in a line",
                   [](const QString& f) { return writeFile(f, QByteArray("[a]\nk=v\0x\n", 11)); },
                   SettingsDamage::Unparsable, true},
        DamageCase{"not UTF-8",
                   [](const QString& f) { return writeFile(f, "[Recent File List]\nFile1=/data/\xff\xfe.rpt\n"); },
                   SettingsDamage::Unparsable, true},
        // The reader takes it; the writer fails on what it wrote over it.
        DamageCase{"a byte order mark",
                   [](const QString& f) { return writeFile(f, "\xef\xbb\xbf[Recent File List]\nFile1=/data/a.rpt\n"); },
                   SettingsDamage::Unparsable, true},
        DamageCase{"larger than settings are",
                   [](const QString& f) {
                       return writeFile(f, "[Recent File List]\nFile1=/" +
                                               QByteArray(SettingsStore::maxFileBytes, 'a') + "\n");
                   },
                   SettingsDamage::TooLarge, true},
        DamageCase{"a folder", [](const QString& f) { return QDir().mkdir(f); }, SettingsDamage::NotAFile, false},
        DamageCase{"a link to a file too large",
                   [](const QString& f) {
                       const QString target = QFileInfo(f).absolutePath() + QStringLiteral("/elsewhere");
                       return writeFile(target, QByteArray(SettingsStore::maxFileBytes + 1, '\n')) &&
                              QFile::link(target, f);
                   },
                   SettingsDamage::TooLarge, false}};
#ifndef _WIN32
    cases.push_back(DamageCase{
        "a pipe", [](const QString& f) { return ::mkfifo(QFile::encodeName(f).constData(), 0600) == 0; },
        SettingsDamage::NotAFile, false});
    cases.push_back(DamageCase{"a link to a device",
                               [](const QString& f) { return QFile::link(QStringLiteral("/dev/zero"), f); },
                               SettingsDamage::NotAFile, false});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsDamageTest, ::testing::ValuesIn(damageCases()),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

// A file damaged while the editor runs is found when the store next writes (the settings writer
// may have written over it by then, and from then on refuses every write): the file is set aside
// and what this run holds goes to a clean file, which later writes reach.
TEST(SettingsFileCheckTest, AFileDamagedDuringTheRunIsReplacedAtTheNextWrite) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vornak.conf"));
    SettingsStore store(file, when);
    ASSERT_TRUE(store.writeRecentFiles({QStringLiteral("/data/a.rpt")}));
    ASSERT_TRUE(writeFile(file, unparsable + "[more]\n"));
    EXPECT_TRUE(store.writeWindowGeometry(QByteArray("geometry")));
    EXPECT_TRUE(store.unsaidDamage().contains(QDir::toNativeSeparators(file + asideSuffix)));
    EXPECT_TRUE(store.writeRecentFiles({QStringLiteral("/data/a.rpt"), QStringLiteral("/data/b.rpt")}));
    SettingsStore again(file, when);
    EXPECT_TRUE(again.unsaidDamage().isEmpty());
    EXPECT_EQ(again.readRecentFiles(), QStringList({QStringLiteral("/data/a.rpt"), QStringLiteral("/data/b.rpt")}));
    EXPECT_EQ(again.readWindowGeometry(), QByteArray("geometry"));
}

// A file set aside never takes the place of an earlier one.
TEST(SettingsFileCheckTest, ASecondDamagedFileGetsItsOwnName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vornak.conf"));
    ASSERT_TRUE(writeFile(file, "first"));
    EXPECT_EQ(setSettingsFileAside(file, when), file + asideSuffix);
    ASSERT_TRUE(writeFile(file, "second"));
    EXPECT_EQ(setSettingsFileAside(file, when), file + asideSuffix + QStringLiteral("-2"));
    EXPECT_EQ(readFile(file + asideSuffix), QByteArray("first"));
    EXPECT_EQ(readFile(file + asideSuffix + QStringLiteral("-2")), QByteArray("second"));
    EXPECT_FALSE(QFileInfo::exists(file));
}

// Entries longer than any path are dropped when read, and not written back; the others stay in
// their order. A file of them within the size limit is not damage.
TEST(SettingsFileCheckTest, RecentEntriesLongerThanAPathAreDropped) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vornak.conf"));
    const QString longest = QLatin1Char('/') + QString(SettingsStore::maxPathBytes - 1, QLatin1Char('p'));
    {
        QSettings raw(file, QSettings::NativeFormat);
        raw.setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("/data/a.rpt"));
        raw.setValue(QStringLiteral("Recent File List/File2"), QString(900'000, QLatin1Char('x')));
        raw.setValue(QStringLiteral("Recent File List/File3"), longest);
        raw.setValue(QStringLiteral("Recent File List/File4"), longest + QLatin1Char('q'));
        // A path as bytes, over the limit only by its bytes.
        raw.setValue(QStringLiteral("Recent File List/File5"),
                     QString(SettingsStore::maxPathBytes / 2, QChar(0x0416)) + QLatin1Char('/'));
        raw.setValue(QStringLiteral("Recent File List/File6"), QByteArray(SettingsStore::maxPathBytes + 1, '\xff'));
        raw.setValue(QStringLiteral("Recent File List/File7"), QStringLiteral("/data/b.rpt"));
    }
    ASSERT_LE(QFileInfo(file).size(), SettingsStore::maxFileBytes);
    SettingsStore store(file, when);
    EXPECT_TRUE(store.unsaidDamage().isEmpty());
    EXPECT_EQ(store.readRecentFiles(), QStringList({QStringLiteral("/data/a.rpt"), longest, QStringLiteral("/data/b.rpt")}));
    EXPECT_EQ(store.readRecentNativePaths(),
              QList<QByteArray>({"/data/a.rpt", QFile::encodeName(longest), "/data/b.rpt"}));

    EXPECT_TRUE(store.writeRecentNativePaths(
        {QByteArray("/data/c.rpt"), QByteArray(SettingsStore::maxPathBytes + 1, 'y')}));
    EXPECT_LT(QFileInfo(file).size(), 1000);
    EXPECT_EQ(SettingsStore(file, when).readRecentFiles(), QStringList{QStringLiteral("/data/c.rpt")});
}

// The user's own file is where QSettings keeps it, under $XDG_CONFIG_HOME or the chosen folder.
TEST(SettingsFileCheckTest, TheUserFileIsTheOneChecked) {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, SettingsStore::organisationName,
                             SettingsStore::applicationName);
    EXPECT_EQ(SettingsStore::userSettingsPath(), settings.fileName());
    SettingsStore store;
    EXPECT_EQ(store.fileName(), SettingsStore::userSettingsPath());
}

#ifndef _WIN32
// Cases that need an ordinary user; as root they are run again as nobody (below).
bool isRoot() {
    return ::geteuid() == 0;
}

TEST(SettingsAsUserTest, AnUnreadableFileIsSetAside) {
    if (isRoot()) {
        GTEST_SKIP() << "root reads every file; run as nobody by SettingsAsNobodyTest";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vornak.conf"));
    ASSERT_TRUE(writeFile(file, "[Recent File List]\nFile1=/data/a.rpt\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0), 0);
    EXPECT_EQ(checkSettingsFile(file, SettingsStore::maxFileBytes), SettingsDamage::Unreadable);
    SettingsStore store(file, when);
    EXPECT_TRUE(store.unsaidDamage().contains(QStringLiteral("нельзя прочитать")));
    EXPECT_TRUE(QFileInfo::exists(file + asideSuffix));
    EXPECT_TRUE(store.writeRecentFiles({QStringLiteral("/data/b.rpt")}));
    EXPECT_EQ(SettingsStore(file, when).readRecentFiles(), QStringList{QStringLiteral("/data/b.rpt")});
}

// In a folder the user cannot write, the damaged file stays untouched and unread; the note says
// the settings are not kept, and the failing writes are not said again.
TEST(SettingsAsUserTest, ADamagedFileThatCannotBeMovedIsLeftAlone) {
    if (isRoot()) {
        GTEST_SKIP() << "root writes every folder; run as nobody by SettingsAsNobodyTest";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("vornak.conf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0500), 0);
    SettingsStore store(file, when);
    const QString note = store.unsaidDamage();
    EXPECT_TRUE(note.contains(QStringLiteral("не сохранятся"))) << note.toStdString();
    EXPECT_FALSE(store.writeRecentFiles({QStringLiteral("/data/b.rpt")}));
    EXPECT_TRUE(store.unsaidWriteFailure().isEmpty());
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(file).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(SettingsAsNobodyTest, TheUserCasesPassAsNobody) {
    if (!isRoot()) {
        GTEST_SKIP() << "already run as an ordinary user";
    }
    if (::getpwnam("nobody") == nullptr || ::access("/usr/bin/setpriv", X_OK) != 0) {
        GTEST_SKIP() << "needs the user nobody and setpriv";
    }
    // A copy of this program nobody can run, whatever the build folder's permissions.
    QTemporaryDir place;
    ASSERT_TRUE(place.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(place.path()).constData(), 0755), 0);
    const QString self = place.filePath(QStringLiteral("settings-test"));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), self));
    ASSERT_EQ(::chmod(QFile::encodeName(self).constData(), 0755), 0);
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(home.path()).constData(), 0777), 0);

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME",
                             "XDG_RUNTIME_DIR", "TMPDIR"}) {
        environment.insert(QString::fromLatin1(name), home.path());
    }
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral("/usr/bin/setpriv"),
              {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"),
               self, QStringLiteral("--gtest_filter=SettingsAsUserTest.*")});
    ASSERT_TRUE(run.waitForFinished(120'000));
    const QString output = QString::fromLocal8Bit(run.readAll());
    EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 2 tests"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("SKIPPED"))) << output.toStdString();
}
#endif

} // namespace
