// Telling whether another program changed the open file: the tools that copy a file together with
// its time (cp -p, rsync -t, touch -r) leave size and modification time as they were, so only the
// file's identity and change time can tell.
#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace vornak {
namespace {

struct stat statOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

// Gives `path` the modification time `from` had (touch -r).
void copyModificationTime(const struct stat& from, const std::string& path) {
    const timespec times[2] = {from.st_atim, from.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// The system stamps change times from a clock that may tick only every few milliseconds: touches
// a scratch file until its change time is past `after`, so that the next change of the file under
// test certainly gets a later one.
void untilChangeTimePasses(const struct stat& after, const std::string& scratch) {
    for (int attempt = 0; attempt < 1'000'000; ++attempt) {
        test::writeBytes(scratch, "x");
        const struct stat now = statOf(scratch);
        if (now.st_ctim.tv_sec != after.st_ctim.tv_sec || now.st_ctim.tv_nsec != after.st_ctim.tv_nsec) {
            return;
        }
    }
    FAIL() << "the change time never moved";
}

class DiskStampTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    DefinitionDocument document;
    const std::string path = folder.file("doc.rpt");
};

TEST_F(DiskStampTest, AFileCopiedInWithTheOldSizeAndTimeIsAChange) {
    struct Copy {
        const char* name;
        // Puts other bytes of the same length at `path`, with the old modification time.
        std::function<void(const std::string& path, const std::string& bytes, const struct stat& old)> apply;
    };
    const Copy copies[] = {
        {"another file renamed over it (rsync -t)",
         [&](const std::string& target, const std::string& bytes, const struct stat& old) {
             const std::string other = folder.file("incoming");
             test::writeBytes(other, bytes);
             copyModificationTime(old, other);
             ASSERT_EQ(::rename(other.c_str(), target.c_str()), 0);
         }},
        {"written over in place (cp -p)",
         [&](const std::string& target, const std::string& bytes, const struct stat& old) {
             untilChangeTimePasses(old, folder.file("scratch"));
             test::writeBytes(target, bytes);
             copyModificationTime(old, target);
         }},
    };
    for (const Copy& copy : copies) {
        SCOPED_TRACE(copy.name);
        test::openDefinition(document, test::sampleDefinition(), path);
        const std::string original = test::readBytes(path);
        const struct stat old = statOf(path);
        EXPECT_FALSE(document.changedOnDisk());
        std::string other = original;
        other[other.size() / 2] = other[other.size() / 2] == 'x' ? 'y' : 'x';
        copy.apply(path, other, old);
        const struct stat now = statOf(path);
        ASSERT_EQ(now.st_size, old.st_size);
        ASSERT_EQ(now.st_mtim.tv_sec, old.st_mtim.tv_sec);
        ASSERT_EQ(now.st_mtim.tv_nsec, old.st_mtim.tv_nsec);
        EXPECT_TRUE(document.changedOnDisk());
    }
}

TEST_F(DiskStampTest, ReadingOrLookingAtTheFileIsNoChange) {
    test::openDefinition(document, test::sampleDefinition(), path);
    EXPECT_EQ(DiskStamp::of(path), DiskStamp::of(path));
    EXPECT_FALSE(test::readBytes(path).empty());
    const std::string link = folder.file("link.rpt");
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    EXPECT_EQ(DiskStamp::of(link), DiskStamp::of(path)) << "a link names the same file";
    EXPECT_FALSE(document.changedOnDisk());
    // Our own save renews the stamp, whatever it did to the file's identity.
    ASSERT_TRUE(document.saveAs(path).ok);
    EXPECT_FALSE(document.changedOnDisk());
}

} // namespace
} // namespace vornak
