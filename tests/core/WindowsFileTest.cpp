// The file layer on Windows: read-only files, files another program holds, hard links, folders,
// attributes and Unicode names, each case checked through the system's own calls.
#include "AtomicFile.h"
#include "ReportDefinition.h"
#include "TestFiles.h"
#include "WindowsApi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vornak {
namespace {

namespace fs = std::filesystem;

class WindowsFileTest : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    const ReportDefinition model = test::exampleDefinition();
    const std::string expected = serializeDefinition(test::exampleDefinition());

    // The UTF-8 name the core takes for a file in the scratch folder.
    std::string name(const std::wstring& file) const {
        const std::wstring wide = (folder.path() / file).wstring();
        std::string utf8(static_cast<std::size_t>(
                             WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                         '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                            nullptr);
        utf8.pop_back();
        return utf8;
    }
    std::size_t entries() const { return test::filesIn(folder.path()).size(); }
};

BY_HANDLE_FILE_INFORMATION infoOf(const fs::path& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE) << path;
    GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    return info;
}

TEST_F(WindowsFileTest, AReadOnlyFileIsRefusedAndKeptAsItWas) {
    const fs::path target = folder / "doc.rpt";
    test::writeBytes(target, "old\r\n");
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    for (bool table : {false, true}) {
        ReportDefinition d = model;
        EXPECT_FALSE(table ? d.exportTable(name(L"doc.rpt")) : d.save(name(L"doc.rpt")));
        EXPECT_EQ(d.saveError().problem, FileProblem::ReadOnly) << d.saveError().reason;
        EXPECT_NE(d.saveError().reason.find("read-only"), std::string::npos) << d.saveError().reason;
    }
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::readBytes(target), "old\r\n");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(WindowsFileTest, AFileAnotherProgramHoldsIsReportedAndKept) {
    const fs::path target = folder / "doc.rpt";
    test::writeBytes(target, "old\r\n");
    // Opened the way a program that lets nobody else write would open it.
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ReportDefinition d = model;
    EXPECT_FALSE(d.save(name(L"doc.rpt")));
    EXPECT_EQ(d.saveError().problem, FileProblem::AccessDenied) << d.saveError().reason;
    CloseHandle(held);
    EXPECT_EQ(test::readBytes(target), "old\r\n");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(WindowsFileTest, ReplacingKeepsTheOldFilesAttributes) {
    const fs::path target = folder / "doc.rpt";
    test::writeBytes(target, "old\r\n");
    ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(model.save(name(L"doc.rpt"))) << model.saveError().reason;
    EXPECT_EQ(test::readBytes(target), expected);
    EXPECT_NE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(WindowsFileTest, AFileWithSeveralNamesIsWrittenInPlace) {
    test::writeBytes(folder / "a.rpt", "old content, longer than the new one would be if it were short\r\n");
    ASSERT_TRUE(CreateHardLinkW((folder / "b.rpt").c_str(), (folder / "a.rpt").c_str(), nullptr));
    const BY_HANDLE_FILE_INFORMATION before = infoOf(folder / "a.rpt");
    ASSERT_TRUE(model.save(name(L"a.rpt"))) << model.saveError().reason;
    EXPECT_EQ(test::readBytes(folder / "a.rpt"), expected);
    EXPECT_EQ(test::readBytes(folder / "b.rpt"), expected);
    const BY_HANDLE_FILE_INFORMATION after = infoOf(folder / "a.rpt");
    EXPECT_EQ(after.nFileIndexLow, before.nFileIndexLow);
    EXPECT_EQ(after.nFileIndexHigh, before.nFileIndexHigh);
    EXPECT_EQ(after.nNumberOfLinks, 2u);
    // A shorter content leaves nothing of the longer one.
    ASSERT_TRUE(ReportDefinition().save(name(L"b.rpt")));
    EXPECT_EQ(test::readBytes(folder / "a.rpt"), test::golden("empty.rpt"));
    EXPECT_EQ(entries(), 2u);
}

TEST_F(WindowsFileTest, UnicodeNamesAreWrittenAndReadUnderTheirOwnName) {
    const std::wstring names[] = {L"Отчёт № 1.rpt", L"Экспертиза — рост.rpt", L"中文 😀.rpt"};
    for (const std::wstring& file : names) {
        ASSERT_TRUE(model.save(name(file))) << model.saveError().reason;
        EXPECT_TRUE(fs::exists(folder.path() / file));
        EXPECT_EQ(test::readBytes(folder.path() / file), expected);
        ReportDefinition read;
        ASSERT_TRUE(read.load(name(file))) << read.loadError().reason;
        EXPECT_EQ(serializeDefinition(read), expected);
    }
    EXPECT_EQ(entries(), std::size(names));
}

TEST_F(WindowsFileTest, FoldersAndMissingFoldersAreNamedAsSuch) {
    fs::create_directory(folder / "sub");
    ReportDefinition d;
    EXPECT_FALSE(d.save(name(L"sub")));
    EXPECT_EQ(d.saveError().problem, FileProblem::IsFolder);
    EXPECT_FALSE(d.load(name(L"sub")));
    EXPECT_EQ(d.loadError().problem, FileProblem::IsFolder);
    EXPECT_FALSE(d.save(name(L"missing\\x.rpt")));
    EXPECT_EQ(d.saveError().problem, FileProblem::NotFound) << d.saveError().reason;
    EXPECT_FALSE(d.load(name(L"missing.rpt")));
    EXPECT_EQ(d.loadError().problem, FileProblem::NotFound) << d.loadError().reason;
    EXPECT_EQ(entries(), 1u);
}

TEST_F(WindowsFileTest, AFailedWriteLeavesNoTemporaryFileAndNoNewFile) {
    test::writeBytes(folder / "doc.rpt", "old\r\n");
    FileWriteHooks full;
    full.failAfter = 10;
    ReportDefinition d = model;
    EXPECT_FALSE(d.save(name(L"doc.rpt"), full));
    EXPECT_FALSE(d.save(name(L"new.rpt"), full));
    EXPECT_EQ(d.saveError().problem, FileProblem::NoSpace);
    EXPECT_EQ(test::readBytes(folder / "doc.rpt"), "old\r\n");
    EXPECT_EQ(test::filesIn(folder.path()), std::vector<fs::path>{"doc.rpt"});
}

TEST_F(WindowsFileTest, ADeviceIsWrittenWithoutATemporaryFile) {
    AtomicFileWriter writer("NUL");
    EXPECT_EQ(writer.mode(), AtomicFileWriter::Mode::Stream) << writer.error();
    EXPECT_TRUE(writer.write("R2\r\n"));
    EXPECT_TRUE(writer.commit()) << writer.error();
}

} // namespace
} // namespace vornak
