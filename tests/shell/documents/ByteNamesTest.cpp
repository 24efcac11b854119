// A file whose name is no text (opened from the command line as bytes): Save As that keeps the
// suggested name writes to the same file, Save table suggests the same bytes up to the last dot,
// and the caption shows the odd bytes so that no other name looks like it.
#include "FormHarness.h"

#include "NativePath.h"

#include <QDir>

#include <cstdio>
#include <filesystem>

namespace vornak::testing {
namespace {

class ByteNames : public FormTest {
public:
    QByteArray badFile() {
        const QByteArray path = QFile::encodeName(dir.path()) + "/bad\xff\xfe.rpt";
        ReportDefinition d;
        ParameterRecord p;
        p.name = "p";
        p.values.push_back({"v", "", "r"});
        d.parameters.push_back(p);
        d.results.push_back({"n", "r"});
        EXPECT_TRUE(d.save(corePath(path)));
        return path;
    }
    int filesInFolder() const {
        int count = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(corePath(QFile::encodeName(dir.path())))) {
            ++count;
        }
        return count;
    }
};

TEST_F(ByteNames, SaveAsKeepingTheSuggestedNameWritesTheSameFile) {
    const QByteArray path = badFile();
    startWithBytes({path});
    ASSERT_EQ(form->documents().currentNativePath(), path);
    EXPECT_EQ(shownTitle(*form), QStringLiteral("Vornak - bad\\xFF\\xFE.rpt"));
    const int before = filesInFolder();

    form->runCommand("addResult");
    fileDialogs.enqueueSuggested();
    form->runCommand("fileSaveAs");
    ASSERT_EQ(fileDialogs.requests().size(), 1U);
    EXPECT_EQ(fileDialogs.requests()[0].initialNativePath, path);
    EXPECT_EQ(fileDialogs.requests()[0].initialFileName, displayPath(path));

    EXPECT_FALSE(form->document().isModified());
    EXPECT_EQ(form->documents().currentNativePath(), path);
    EXPECT_EQ(filesInFolder(), before) << "no look-alike file was made";
    ReportDefinition read;
    ASSERT_TRUE(read.load(corePath(path)));
    EXPECT_EQ(read.results.size(), 2U);
    EXPECT_EQ(recentFiles.nativeAt(0), path);
}

TEST_F(ByteNames, SaveTableAndOpenSuggestTheSameBytes) {
    const QByteArray path = badFile();
    startWithBytes({path});
    fileDialogs.enqueueSuggested();
    form->runCommand("fileSaveTable");
    ASSERT_EQ(fileDialogs.requests().size(), 1U);
    const QByteArray table = QFile::encodeName(dir.path()) + "/bad\xff\xfe";
    EXPECT_EQ(fileDialogs.requests()[0].initialNativePath, table);
    EXPECT_TRUE(std::filesystem::exists(corePath(table + ".txt")));

    fileDialogs.enqueue(std::nullopt);
    form->runCommand("fileOpen");
    ASSERT_EQ(fileDialogs.requests().size(), 2U);
    EXPECT_EQ(fileDialogs.requests()[1].initialNativePath, path);
}

} // namespace
} // namespace vornak::testing
