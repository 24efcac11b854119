// Recovery copies are read only from a folder nobody else could have written to, and only files
// that are this user's own: another local user who can reach the folder (left open, a link to
// their folder, a shared state folder) cannot plant a copy; a pipe, a link or a file with a second
// name in the folder is left out and named; an empty copy an editor died making is dropped
// quietly; a copy that holds just what its file holds is no unsaved work.
#include "DocumentTestSupport.h"
#include "EndedProcess.h"
#include "RecoveryStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vornak {
namespace {

using test::TempFolder;
using Kind = RecoveryFault::Kind;

constexpr uid_t nobodyId = 65534;

RecoveryInfo infoFor(const std::string& path) {
    RecoveryInfo info;
    info.originalPath = path;
    info.untitled = path.empty();
    info.copiedAt = 1'760'000'000;
    info.modifiedSince = 1'759'999'000;
    info.editor = test::endedProcess();
    return info;
}

ReportDefinition titled(const std::string& title) {
    ReportDefinition definition = test::sampleDefinition();
    definition.title = title;
    return definition;
}

std::string leaveCopy(const RecoveryStore& store, const std::string& path = "/home/someone/.bashrc") {
    const std::string id = store.newId();
    std::string error;
    EXPECT_TRUE(store.write(id, titled("planted"), infoFor(path), error)) << error;
    return id;
}

void chownTree(const std::string& path, uid_t owner) {
    ASSERT_EQ(::lchown(path.c_str(), owner, owner), 0) << path;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path))) {
        for (const auto& item : std::filesystem::recursive_directory_iterator(path)) {
            ASSERT_EQ(::lchown(item.path().c_str(), owner, owner), 0) << item.path();
        }
    }
}

// Folders another user could have written into: nothing in them is listed or offered, the fault
// says why once, and no copy is written there either.
TEST(RecoveryTrustTest, AFolderOthersCouldWriteIsNeitherReadNorWritten) {
    struct Case {
        const char* what;
        bool needsRoot;
        // Makes the state under `root` and returns the recovery folder to use.
        std::function<std::string(const TempFolder&)> plant;
        Kind expected;
        bool writeRefused = true; // a parent of this user's own is closed to others before a write
    };
    const std::vector<Case> cases = {
        {"a folder left open to everyone", false,
         [](const TempFolder& temp) {
             const std::string folder = temp.file("open/vornak/recovery");
             leaveCopy(RecoveryStore(folder));
             ::chmod(folder.c_str(), 0777);
             return folder;
         },
         Kind::OpenToOthers},
        {"a link to another folder", false,
         [](const TempFolder& temp) {
             const std::string theirs = temp.file("theirs/recovery");
             leaveCopy(RecoveryStore(theirs));
             std::filesystem::create_directories(temp.file("linked/vornak"));
             std::filesystem::create_directory_symlink(theirs, temp.file("linked/vornak/recovery"));
             return temp.file("linked/vornak/recovery");
         },
         Kind::NotOwnFolder},
        {"a parent others may write to without the sticky bit", false,
         [](const TempFolder& temp) {
             const std::string folder = temp.file("loose/vornak/recovery");
             leaveCopy(RecoveryStore(folder));
             ::chmod(temp.file("loose/vornak").c_str(), 0777);
             return folder;
         },
         Kind::ParentOpen, false},
        {"a shared state folder where another user made the editor's folders", true,
         [](const TempFolder& temp) {
             const std::string shared = temp.file("shared");
             const std::string folder = shared + "/vornak/recovery";
             leaveCopy(RecoveryStore(folder));
             chownTree(shared + "/vornak", nobodyId);
             ::chmod(shared.c_str(), 01777);
             return folder;
         },
         Kind::NotOwnFolder},
        {"a shared state folder where another user made only the parent", true,
         [](const TempFolder& temp) {
             const std::string shared = temp.file("shared2");
             const std::string folder = shared + "/vornak/recovery";
             leaveCopy(RecoveryStore(folder));
             ::lchown((shared + "/vornak").c_str(), nobodyId, nobodyId);
             ::chmod(shared.c_str(), 01777);
             return folder;
         },
         Kind::ParentOpen},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.what);
        if (one.needsRoot && ::geteuid() != 0) {
            continue; // other users' files can be made only by root
        }
        TempFolder temp;
        const RecoveryStore store(one.plant(temp));
        const RecoveryListing listing = store.scan();
        EXPECT_TRUE(listing.entries.empty());
        EXPECT_EQ(listing.folder.kind, one.expected) << listing.folder.english();
        EXPECT_TRUE(store.orphaned().empty());
        const RecoveryFault written = store.write(store.newId(), titled("mine"), infoFor(""));
        EXPECT_EQ(written.kind, one.writeRefused ? one.expected : Kind::None) << written.english();
    }
}

TEST(RecoveryTrustTest, AStickySharedParentOfRootKeepsOwnCopiesUsable) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the shared parent must belong to root";
    }
    TempFolder temp;
    const std::string shared = temp.file("tmp-like");
    std::filesystem::create_directories(shared);
    ::chmod(shared.c_str(), 01777);
    const RecoveryStore store(shared + "/recovery");
    const std::string id = leaveCopy(store);
    const RecoveryListing listing = store.scan();
    EXPECT_FALSE(listing.folder) << listing.folder.english();
    ASSERT_EQ(listing.entries.size(), 1U);
    EXPECT_EQ(listing.entries[0].id, id);
}

// Entries that are no plain file of this user with one name: left out and named, whatever the
// description beside them says; a pipe among them does not hold the listing up.
TEST(RecoveryTrustTest, PipesLinksAndSecondNamesAreSkippedAndNamed) {
    TempFolder temp;
    const RecoveryStore store(temp.file("state/recovery"));
    const std::string own = leaveCopy(store, "/home/me/mine.rpt");
    const RecoveryStore elsewhere(temp.file("elsewhere/recovery"));
    const std::string planted = leaveCopy(elsewhere);
    const std::string folder = store.folder() + "/";
    const std::string from = elsewhere.folder() + "/" + planted;

    ASSERT_EQ(::mkfifo((folder + "fifo.info").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder + "fifo.rpt").c_str(), 0600), 0);
    std::filesystem::create_symlink(from + ".info", folder + "linked.info");
    std::filesystem::create_symlink(from + ".rpt", folder + "linked.rpt");
    std::filesystem::create_hard_link(from + ".info", folder + "twice.info");
    std::filesystem::create_hard_link(from + ".rpt", folder + "twice.rpt");
    std::filesystem::copy_file(from + ".info", folder + "copylink.info");
    std::filesystem::create_symlink(from + ".rpt", folder + "copylink.rpt");
    int planted_files = 8;
    if (::geteuid() == 0) {
        std::filesystem::copy_file(from + ".info", folder + "foreign.info");
        std::filesystem::copy_file(from + ".rpt", folder + "foreign.rpt");
        ::chown((folder + "foreign.info").c_str(), nobodyId, nobodyId);
        ::chown((folder + "foreign.rpt").c_str(), nobodyId, nobodyId);
        planted_files += 2;
    }

    const RecoveryListing listing = store.scan();
    EXPECT_FALSE(listing.folder);
    ASSERT_EQ(listing.entries.size(), 1U);
    EXPECT_EQ(listing.entries[0].id, own);
    EXPECT_EQ(static_cast<int>(listing.skipped.size()), planted_files - 1) << "copylink.info is ours";
    for (const RecoveryFault& fault : listing.skipped) {
        EXPECT_EQ(fault.kind, Kind::NotOwnFile) << fault.english();
        EXPECT_EQ(fault.path.rfind(folder, 0), 0U) << "each names the file left out: " << fault.path;
    }
    ASSERT_EQ(store.orphaned().size(), 1U);

    // Read by name, a link or a pipe in the copy's place is refused too.
    RecoveryEntry entry = listing.entries[0];
    entry.copyPath = folder + "fifo.rpt";
    ReportDefinition read;
    LoadError error;
    EXPECT_FALSE(RecoveryStore::readCopy(entry, read, error));
    entry.copyPath = folder + "linked.rpt";
    EXPECT_FALSE(RecoveryStore::readCopy(entry, read, error));
    entry.copyPath = folder + own + ".rpt";
    EXPECT_TRUE(RecoveryStore::readCopy(entry, read, error)) << error.reason;
}

// The same as an ordinary user: what root planted in nobody's own folder is not nobody's.
TEST(RecoveryTrustTest, AsAnotherUserOnlyThatUsersFilesCount) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "changing to another user needs root";
    }
    TempFolder temp;
    const std::string folder = temp.file("home/state/recovery");
    const RecoveryStore asRoot(folder);
    leaveCopy(asRoot);
    chownTree(temp.file("home"), nobodyId);
    const std::string top = temp.file("home");
    ::chmod(top.substr(0, top.rfind('/')).c_str(), 0755);
    // Root's copy stays root's: planted in nobody's folder.
    const std::string rootCopy = folder + "/" + asRoot.newId();
    test::writeBytes(rootCopy + ".rpt", "R2\r\n");
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobodyId) != 0 || ::setuid(nobodyId) != 0) {
            ::_exit(10);
        }
        const RecoveryStore store(folder);
        const RecoveryListing before = store.scan();
        if (before.folder || before.entries.size() != 1 || before.skipped.size() != 1) {
            ::_exit(11);
        }
        std::string error;
        if (!store.write(store.newId(), titled("nobody's"), infoFor(""), error)) {
            ::_exit(12);
        }
        if (store.scan().entries.size() != 2) {
            ::_exit(13);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10 setuid, 11 listing, 12 writing, 13 relisting";
}

TEST(RecoveryTrustTest, AnEmptyCopyWithoutDescriptionGoesQuietlyAWholeOneStays) {
    TempFolder temp;
    const RecoveryStore store(temp.file("state/recovery"));
    std::string error;
    ASSERT_TRUE(store.prepare(error)) << error;
    const ProcessIdentity gone = test::endedProcess();
    const std::string prefix = std::to_string(gone.pid) + "-" + std::to_string(gone.startTicks) + "-" +
                               gone.bootId.substr(0, 8) + "-";
    test::writeBytes(store.folder() + "/" + prefix + "1-aaaa.rpt", "");
    ASSERT_TRUE(titled("whole").save(store.folder() + "/" + prefix + "2-bbbb.rpt"));
    const std::vector<RecoveryEntry> orphaned = store.orphaned();
    ASSERT_EQ(orphaned.size(), 1U);
    EXPECT_EQ(orphaned[0].id, prefix + "2-bbbb");
    EXPECT_EQ(orphaned[0].damage, CopyDamage::DescriptionMissing);
    EXPECT_FALSE(std::filesystem::exists(store.folder() + "/" + prefix + "1-aaaa.rpt"));
}

TEST(RecoveryTrustTest, ACopyEqualToItsFileIsNoUnsavedWork) {
    TempFolder temp;
    const std::string file = temp.file("doc.rpt");
    ASSERT_TRUE(titled("saved").save(file));
    EXPECT_TRUE(RecoveryStore::sameAsOriginal(infoFor(file), titled("saved")));
    EXPECT_FALSE(RecoveryStore::sameAsOriginal(infoFor(file), titled("typed since")));
    EXPECT_FALSE(RecoveryStore::sameAsOriginal(infoFor(""), titled("saved"))) << "untitled";
    EXPECT_FALSE(RecoveryStore::sameAsOriginal(infoFor(temp.file("gone.rpt")), titled("saved")));
}

} // namespace
} // namespace vornak
