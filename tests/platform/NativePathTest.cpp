// Paths as bytes: what a path shows as (no two paths look alike), and which bytes a dialog's text
// answer stands for when the suggestion was a name that is no text.
#include "NativePath.h"
#include "FileDialogs.h"
#include "ScriptedFileDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

using namespace vornak;

TEST(NativePath, ShowsEveryPathUnambiguously) {
    struct Case {
        QByteArray bytes;
        QString shown;
    };
    const Case cases[] = {
        {"/data/stature.rpt", QStringLiteral("/data/stature.rpt")},
        {"/data/\xd1\x80\xd0\xbe\xd1\x81\xd1\x82.rpt", QStringLiteral("/data/рост.rpt")},
        {"bad\xff\xfe.rpt", QStringLiteral("bad\\xFF\\xFE.rpt")},
        // A real replacement mark is text, and shows as itself: not like the bytes above.
        {"bad\xef\xbf\xbd\xef\xbf\xbd.rpt", QStringLiteral("bad\uFFFD\uFFFD.rpt")},
        {"a\\b.rpt", QStringLiteral("a\\\\b.rpt")},     // a backslash is doubled
        {"a\\xFF.rpt", QStringLiteral("a\\\\xFF.rpt")}, // so text never looks like bytes
        {"line\nbreak\x7f", QStringLiteral("line\\x0Abreak\\x7F")},
        {"\xc0\x80", QStringLiteral("\\xC0\\x80")},          // an overlong form is no text
        {"\xed\xa0\x80", QStringLiteral("\\xED\\xA0\\x80")}, // nor is a surrogate
        {"\xd1", QStringLiteral("\\xD1")},                   // nor a cut sequence
        {"\xd1\x80\xff", QStringLiteral("р\\xFF")},
        {"\xf0\x9f\x98\x80", QStringLiteral("\U0001F600")},
        {QByteArray(), QString()},
    };
    std::set<QString> seen;
    for (const Case& c : cases) {
        EXPECT_EQ(displayPath(c.bytes), c.shown) << c.bytes.toHex().toStdString();
        EXPECT_TRUE(seen.insert(displayPath(c.bytes)).second)
            << "two paths look alike: " << c.bytes.toStdString();
    }
    EXPECT_EQ(displayFileName("/tmp/x/bad\xff.rpt"), QStringLiteral("bad\\xFF.rpt"));
    // What the system's own decoding does to such a name: it cannot give the bytes back.
    EXPECT_FALSE(isLosslessText("bad\xff\xfe.rpt"));
    EXPECT_NE(QFile::encodeName(QFile::decodeName("bad\xff\xfe.rpt")), QByteArray("bad\xff\xfe.rpt"));
    EXPECT_TRUE(isLosslessText("/data/\xd1\x80.rpt"));
}

TEST(NativePath, FolderAndName) {
    EXPECT_EQ(nativeFolder("/a/b\xff/c.rpt"), QByteArray("/a/b\xff"));
    EXPECT_EQ(nativeFileName("/a/b\xff/c\xfe.rpt"), QByteArray("c\xfe.rpt"));
    EXPECT_EQ(nativeFolder("/c.rpt"), QByteArray("/"));
    EXPECT_EQ(nativeFolder("c.rpt"), QByteArray());
    EXPECT_EQ(nativeFileName("c.rpt"), QByteArray("c.rpt"));
}

TEST(NativePath, ADialogAnswerKeepsTheSuggestedBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray bad = folder + "/bad\xff\xfe.rpt";
    const QString shownFolder = dir.path();
    struct Case {
        const char* what;
        QString chosen;
        QByteArray suggested;
        QString extension;
        QByteArray expected;
    };
    const Case cases[] = {
        {"the suggestion as shown", shownFolder + QStringLiteral("/bad\\xFF\\xFE.rpt"), bad, "rpt", bad},
        {"as the system decodes it", shownFolder + QStringLiteral("/bad\uFFFD\uFFFD.rpt"), bad, "rpt", bad},
        {"with the default extension", shownFolder + QStringLiteral("/bad\\xFF\\xFE.txt"),
         folder + "/bad\xff\xfe", "txt", folder + "/bad\xff\xfe.txt"},
        {"another name in the same folder", shownFolder + QStringLiteral("/new.rpt"), bad, "rpt",
         folder + "/new.rpt"},
        {"the same name in another folder", QStringLiteral("/tmp/bad\\xFF\\xFE.rpt"), bad, "rpt",
         QByteArray("/tmp/bad\xff\xfe.rpt")},
        {"a name typed with a backslash", shownFolder + QStringLiteral("/a\\b.rpt"), bad, "rpt",
         folder + "/a\\b.rpt"},
        {"no suggestion", shownFolder + QStringLiteral("/рост.rpt"), QByteArray(), "rpt",
         folder + "/\xd1\x80\xd0\xbe\xd1\x81\xd1\x82.rpt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nativeChoice(c.chosen, c.suggested, c.extension), c.expected) << c.what;
    }

    // A file that really carries replacement marks is what its name says.
    const QByteArray lookAlike = folder + "/bad\xef\xbf\xbd\xef\xbf\xbd.rpt";
    FILE* file = std::fopen(lookAlike.constData(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(nativeChoice(shownFolder + QStringLiteral("/bad\uFFFD\uFFFD.rpt"), bad, "rpt"), lookAlike);
}

TEST(NativePath, TheScriptedDialogAcceptsTheSuggestionAsShown) {
    ScriptedFileDialogs dialogs;
    const QByteArray bad("/tmp/x/bad\xff\xfe.rpt");
    dialogs.enqueueSuggested();
    EXPECT_EQ(dialogs.saveNative(nullptr, QStringLiteral("Report Files(*.rpt)|*.rpt||"), "rpt", bad), bad);
    ASSERT_EQ(dialogs.requests().size(), 1U);
    EXPECT_EQ(dialogs.requests()[0].initialFileName, QStringLiteral("/tmp/x/bad\\xFF\\xFE.rpt"));
    EXPECT_EQ(dialogs.requests()[0].initialNativePath, bad);
}
