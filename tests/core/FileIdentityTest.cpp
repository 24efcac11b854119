// Which file a name reaches: every name of one file gives the same identity, other files and
// folders another, and the change time moves with a write or a change of attributes even when the
// modification time is put back.
#include "FileIdentity.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vornak {
namespace {

namespace fs = std::filesystem;

// The UTF-8 name the core takes.
std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class FileIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeBytes(file, "R2\r\n");
        fs::create_directory(folder / "sub");
    }

    // Returns once the file system's clock has moved past the change time noted in `before`: a
    // scratch file is changed until its own change time is later, so a change made after this
    // cannot carry the same time whatever the clock's grain.
    void letTheClockPass(const FileIdentity& before) const {
        const fs::path tick = folder / "tick";
        for (;;) {
            test::writeBytes(tick, "x");
            const std::optional<FileIdentity> now = identifyFile(utf8(tick));
            ASSERT_TRUE(now);
            if (now->changedSeconds > before.changedSeconds ||
                (now->changedSeconds == before.changedSeconds &&
                 now->changedNanoseconds > before.changedNanoseconds)) {
                return;
            }
            std::this_thread::yield();
        }
    }

    test::ScratchFolder folder;
    const fs::path file = folder / "doc.rpt";
};

TEST_F(FileIdentityTest, EveryNameOfAFileGivesItsIdentity) {
    fs::create_hard_link(file, folder / "second name.rpt");
    fs::create_hard_link(file, folder.path() / u8"Отчёт.rpt");
    std::vector<std::string> names{utf8(file), utf8(folder / "sub" / ".." / "doc.rpt"),
                                   utf8(folder / "." / "doc.rpt"), utf8(folder / "second name.rpt"),
                                   utf8(folder.path() / u8"Отчёт.rpt")};
#ifndef _WIN32 // symbolic links need a privilege on Windows
    fs::create_symlink("doc.rpt", folder / "link.rpt");
    names.push_back(utf8(folder / "link.rpt"));
#endif
    const std::optional<FileIdentity> original = identifyFile(utf8(file));
    ASSERT_TRUE(original);
    EXPECT_TRUE(original->regular);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::optional<FileIdentity> identity = identifyFile(name);
        ASSERT_TRUE(identity);
        EXPECT_TRUE(identity->sameFileAs(*original));
        EXPECT_EQ(*identity, *original);
    }
}

TEST_F(FileIdentityTest, OtherFilesFoldersAndMissingNamesAreToldApart) {
    fs::copy_file(file, folder / "copy.rpt");
    const std::optional<FileIdentity> original = identifyFile(utf8(file));
    const std::optional<FileIdentity> copy = identifyFile(utf8(folder / "copy.rpt"));
    const std::optional<FileIdentity> sub = identifyFile(utf8(folder / "sub"));
    ASSERT_TRUE(original && copy && sub);
    EXPECT_FALSE(copy->sameFileAs(*original));
    EXPECT_FALSE(sub->sameFileAs(*original));
    EXPECT_FALSE(sub->regular);
    for (const std::string& missing :
         {std::string(), utf8(folder / "missing.rpt"), utf8(folder / "missing" / "doc.rpt"),
          utf8(folder / "doc.rpt" / "x")}) {
        SCOPED_TRACE(missing);
        EXPECT_FALSE(identifyFile(missing));
    }
}

TEST_F(FileIdentityTest, TheChangeTimeMovesWithAWriteOrAnAttributeEvenWhenTheTimeIsPutBack) {
    const fs::file_time_type modified = fs::last_write_time(file);
    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const Change changes[] = {
        {"the same bytes written again, the time put back",
         [&] {
             test::writeBytes(file, "R2\r\n");
             fs::last_write_time(file, modified);
         }},
        {"made read-only", [&] { fs::permissions(file, fs::perms::owner_write, fs::perm_options::remove); }},
        {"made writable again",
         [&] { fs::permissions(file, fs::perms::owner_write, fs::perm_options::add); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        const std::optional<FileIdentity> before = identifyFile(utf8(file));
        ASSERT_TRUE(before);
        letTheClockPass(*before);
        change.make();
        const std::optional<FileIdentity> after = identifyFile(utf8(file));
        ASSERT_TRUE(before && after);
        EXPECT_TRUE(after->sameFileAs(*before));
        EXPECT_NE(*after, *before);
        EXPECT_GE(after->changedNanoseconds, 0);
        EXPECT_LT(after->changedNanoseconds, 1'000'000'000);
    }
}

} // namespace
} // namespace vornak
