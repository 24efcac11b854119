// New, open, save and save as on the document: results, paths as bytes, the undo stack's clean state,
// and noticing a file changed behind the editor's back.
#include "DocumentTestSupport.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace vornak {
namespace {

using test::cp1251;

class FilesTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    DefinitionDocument document;
};

TEST_F(FilesTest, StartsAsANewUntitledDefinition) {
    EXPECT_TRUE(document.isUntitled());
    EXPECT_FALSE(document.isModified());
    EXPECT_FALSE(document.changedOnDisk());
    ASSERT_EQ(document.definition().parameters.size(), 1U);
    EXPECT_EQ(document.definition().parameters[0].values.size(), 1U);
    EXPECT_EQ(document.definition().results.size(), 1U);
}

TEST_F(FilesTest, OpenSaveAndReopenKeepEveryByte) {
    const std::string path = folder.file("a.rpt");
    test::openDefinition(document, test::sampleDefinition(), path);
    const std::string original = test::readBytes(path);
    EXPECT_EQ(document.path(), path);
    EXPECT_FALSE(document.isModified());
    ASSERT_TRUE(document.setCell({TextField::ResultName, 2, 0}, "Двойной"));
    const SaveResult saved = document.save();
    ASSERT_TRUE(saved.ok) << saved.error.reason;
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(test::readBytes(path), serializeDefinition(document.definition()));
    document.undoStack()->undo();
    EXPECT_TRUE(document.isModified());
    ASSERT_TRUE(document.save().ok);
    EXPECT_EQ(test::readBytes(path), original);
}

// A definition of `parameters` parameters, large enough to be freed apart from the window.
ReportDefinition manyParameters(int parameters, const std::string& mark) {
    ReportDefinition d;
    d.title = mark;
    for (int p = 0; p < parameters; ++p) {
        d.parameters.push_back({mark + " " + std::to_string(p), "", ValueKind::List, 0, 0,
                                {{"a long enough value " + mark, "", "r"}, {"b", "", "s"}}});
    }
    return d;
}

// Large definitions replaced one after another with no turn of the event loop in between each wait
// their turn to be freed: the document shows the last, every one replaced is gone once asked for,
// and a document closed while one still waits takes it along.
TEST_F(FilesTest, ReplacedLargeDefinitionsAreAllFreedAndNoneOutlivesItsDocument) {
    const std::string path = folder.file("large.rpt");
    ASSERT_TRUE(manyParameters(3000, "file").save(path));
    for (const bool waitAtTheEnd : {true, false}) {
        SCOPED_TRACE(waitAtTheEnd);
        auto replacing = std::make_unique<DefinitionDocument>();
        replacing->restore(manyParameters(3000, "first"), "", DiskStamp{});
        ASSERT_TRUE(replacing->open(path).ok);
        replacing->restore(manyParameters(2500, "second"), "", DiskStamp{});
        replacing->newDocument();
        replacing->restore(manyParameters(2000, "last"), "", DiskStamp{});
        EXPECT_EQ(replacing->definition().title, "last");
        EXPECT_EQ(replacing->definition().parameters.size(), 2000U);
        if (waitAtTheEnd) {
            replacing->waitUntilReplacedFreed();
        }
        replacing.reset(); // with a freeing still due: nothing is left behind or freed twice
        QCoreApplication::processEvents();
    }
}

TEST_F(FilesTest, NewAndOpenClearTheStack) {
    ASSERT_TRUE(document.typeText(locationOf(ReportText::Title), "T"));
    ASSERT_EQ(document.addParameter(1), 1);
    QSignalSpy reset(&document, &DefinitionDocument::documentReset);
    document.newDocument();
    EXPECT_EQ(document.undoStack()->count(), 0);
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.definition().title, "T") << "New keeps the nine texts";
    EXPECT_EQ(document.definition().parameters.size(), 1U);
    ASSERT_EQ(document.addResult(0), 0);
    test::openDefinition(document, test::sampleDefinition(), folder.file("b.rpt"));
    EXPECT_EQ(document.undoStack()->count(), 0);
    EXPECT_EQ(reset.count(), 2);
}

// A restored copy is unsaved with nothing to undo; whatever replaces it starts unmodified.
TEST_F(FilesTest, WhatReplacesARestoredCopyIsUnmodified) {
    const std::string path = folder.file("restored.rpt");
    const std::function<void()> replacements[] = {
        [&] { document.newDocument(); },
        [&] { document.newDocument(std::array<QString, reportTextCount>{}); },
        [&] { test::openDefinition(document, test::sampleDefinition(), path); },
        [&] { document.restore(test::sampleDefinition(), path, DiskStamp::of(path)); },
    };
    for (std::size_t i = 0; i < std::size(replacements); ++i) {
        SCOPED_TRACE(i);
        document.restore(test::sampleDefinition(), "", {});
        ASSERT_TRUE(document.isModified());
        QSignalSpy modified(&document, &DefinitionDocument::modifiedChanged);
        replacements[i]();
        const bool restoredAgain = i == 3;
        EXPECT_EQ(document.isModified(), restoredAgain);
        EXPECT_EQ(document.undoStack()->count(), 0);
        // A listener hears of the change exactly when the state changed.
        if (restoredAgain) {
            EXPECT_TRUE(modified.isEmpty() || modified.last().at(0).toBool());
        } else {
            ASSERT_FALSE(modified.isEmpty());
            EXPECT_FALSE(modified.last().at(0).toBool());
        }
    }
}

TEST_F(FilesTest, NewWithTextsReplacesThem) {
    std::array<QString, reportTextCount> texts;
    for (int i = 0; i < reportTextCount; ++i) {
        texts[static_cast<std::size_t>(i)] = QStringLiteral("текст %1").arg(i + 1);
    }
    document.newDocument(texts);
    EXPECT_EQ(document.definition().title, cp1251("текст 1"));
    EXPECT_EQ(document.definition().organisation, cp1251("текст 8"));
    EXPECT_EQ(document.definition().date, cp1251("текст 9"));
}

TEST_F(FilesTest, FailedOpenLeavesTheDocumentAsItWas) {
    const std::string path = folder.file("good.rpt");
    test::openDefinition(document, test::sampleDefinition(), path);
    ASSERT_TRUE(document.setCell({TextField::ResultName, 1, 0}, "x"));
    const std::string before = serializeDefinition(document.definition());
    const std::string bad = folder.file("bad.rpt");
    test::writeBytes(bad, "R3\r\n");
    const OpenResult opened = document.open(bad);
    EXPECT_FALSE(opened.ok);
    EXPECT_FALSE(opened.error.reason.empty());
    EXPECT_EQ(serializeDefinition(document.definition()), before);
    EXPECT_EQ(document.path(), path);
    EXPECT_TRUE(document.isModified());
    EXPECT_FALSE(document.open(folder.file("missing.rpt")).ok);
    EXPECT_EQ(document.path(), path);
}

TEST_F(FilesTest, FailedSaveChangesNothing) {
    ASSERT_TRUE(document.setCell({TextField::ResultName, 1, 0}, "x"));
    const SaveResult untitled = document.save();
    EXPECT_FALSE(untitled.ok);
    EXPECT_EQ(untitled.error.problem, FileProblem::NoFileName);
    const SaveResult missingFolder = document.saveAs(folder.file("no/such/folder.rpt"));
    EXPECT_FALSE(missingFolder.ok);
    EXPECT_NE(missingFolder.error.problem, FileProblem::None);
    EXPECT_TRUE(document.isUntitled());
    EXPECT_TRUE(document.isModified());
}

TEST_F(FilesTest, SaveAsTakesThePathOnlyWhenWritten) {
    QSignalSpy pathChanged(&document, &DefinitionDocument::pathChanged);
    const std::string path = folder.file("c.rpt");
    ASSERT_TRUE(document.saveAs(path).ok);
    EXPECT_EQ(document.path(), path);
    EXPECT_EQ(pathChanged.count(), 1);
    ASSERT_TRUE(document.saveAs(path).ok);
    EXPECT_EQ(pathChanged.count(), 1) << "the same path again is no change";
}

TEST_F(FilesTest, PathsAreBytes) {
    // Not valid UTF-8: a name only a byte path can reach.
    const std::string path = folder.file("bad\xff name.rpt");
    test::openDefinition(document, test::sampleDefinition(), path);
    EXPECT_EQ(document.path(), path);
    ASSERT_TRUE(document.setCell({TextField::ResultName, 1, 0}, "x"));
    ASSERT_TRUE(document.save().ok);
    EXPECT_EQ(test::readBytes(path), serializeDefinition(document.definition()));
    EXPECT_FALSE(document.changedOnDisk());
    const std::string copy = folder.file("copy\xfe.rpt");
    ASSERT_TRUE(document.saveAs(copy).ok);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(copy)));
    EXPECT_FALSE(document.displayPath().isEmpty());
    const std::string table = folder.file("table\xff.txt");
    ASSERT_TRUE(document.exportTable(table).ok);
    EXPECT_EQ(test::readBytes(table), serializeTable(document.definition()));
}

TEST_F(FilesTest, ChangedOnDisk) {
    namespace fs = std::filesystem;
    const std::string path = folder.file("d.rpt");
    test::openDefinition(document, test::sampleDefinition(), path);
    EXPECT_FALSE(document.changedOnDisk());

    struct Change {
        const char* name;
        std::function<void()> apply;
    };
    const std::string original = test::readBytes(path);
    const Change changes[] = {
        {"longer", [&] { test::writeBytes(path, original + "x"); }},
        {"same size, later time",
         [&] {
             test::writeBytes(path, std::string(original.size(), 'y'));
             fs::last_write_time(fs::path(path),
                                 fs::last_write_time(fs::path(path)) + std::chrono::seconds(5));
         }},
        {"deleted", [&] { fs::remove(fs::path(path)); }},
        {"replaced by a folder",
         [&] {
             fs::remove(fs::path(path));
             fs::create_directory(fs::path(path));
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        std::error_code ignored;
        fs::remove_all(fs::path(path), ignored);
        ASSERT_TRUE(document.saveAs(path).ok);
        EXPECT_FALSE(document.changedOnDisk()) << "a save renews what the document knows of the file";
        change.apply();
        EXPECT_TRUE(document.changedOnDisk());
    }
}

TEST_F(FilesTest, ListenersSeeTheNewFilesStampAtReset) {
    test::openDefinition(document, test::sampleDefinition(), folder.file("first.rpt"));
    std::vector<bool> seen;
    QObject::connect(&document, &DefinitionDocument::documentReset,
                     [&] { seen.push_back(document.changedOnDisk()); });
    QObject::connect(&document, &DefinitionDocument::pathChanged,
                     [&] { seen.push_back(document.changedOnDisk()); });
    test::openDefinition(document, test::sampleDefinition(), folder.file("second.rpt"));
    document.newDocument();
    EXPECT_EQ(seen, std::vector<bool>(4, false));
}

TEST_F(FilesTest, UntitledIsNeverChangedOnDisk) {
    document.newDocument();
    EXPECT_FALSE(document.changedOnDisk());
}

} // namespace
} // namespace vornak
