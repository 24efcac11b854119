// How a save treats what it replaces: links, pipes, read-only and multiply-linked files, owners,
// attributes and modes, long names, interruptions and the order of the steps that make it
// durable. Cases that need another user run in a child process as nobody.
#include "AtomicFile.h"
#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace vornak {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
struct stat statOf(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        ADD_FAILURE() << "cannot stat " << path;
    }
    return info;
}
#endif

#ifndef _WIN32
// Big enough to take many writes of the writer's block.
ReportDefinition largeDefinition() {
    ReportDefinition d = test::exampleDefinition();
    for (int i = 0; i < 6000; ++i) {
        d.parameters.push_back(d.parameters.front());
        d.parameters.back().name = "parameter " + std::to_string(i);
    }
    return d;
}
#endif

// Named or unnamed temporary files, for the cases that must hold for both.
class EveryTemporaryKind : public ::testing::TestWithParam<bool> {
protected:
    FileWriteHooks hooks(std::function<void(FileStep, std::size_t)> observer = nullptr) const {
        FileWriteHooks hooks;
        hooks.allowUnnamed = GetParam();
        hooks.observer = std::move(observer);
        return hooks;
    }

    test::ScratchFolder folder;
    const ReportDefinition model = test::exampleDefinition();
    const std::string expected = serializeDefinition(test::exampleDefinition());
};

TEST_P(EveryTemporaryKind, ASaveThroughLinksWritesTheFileTheyNameAndKeepsThemLinks) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    fs::create_directories(folder / "real");
    test::writeBytes(folder / "real" / "doc.rpt", "old\r\n");
    fs::create_symlink("real/doc.rpt", folder / "relative.rpt");
    fs::create_symlink(folder / "relative.rpt", folder / "chain.rpt");
    for (const char* link : {"relative.rpt", "chain.rpt"}) {
        test::writeBytes(folder / "real" / "doc.rpt", "old\r\n");
        ASSERT_TRUE(model.save((folder / link).string(), hooks()))
            << link << ": " << model.saveError().reason;
        EXPECT_TRUE(fs::is_symlink(folder / link)) << link;
        EXPECT_EQ(test::readBytes(folder / "real" / "doc.rpt"), expected) << link;
    }
    EXPECT_EQ(fs::read_symlink(folder / "relative.rpt"), "real/doc.rpt");
    // A dangling link creates the file it names.
    fs::create_symlink("real/new.rpt", folder / "dangling.rpt");
    ASSERT_TRUE(model.exportTable((folder / "dangling.rpt").string(), hooks())) << model.saveError().reason;
    EXPECT_TRUE(fs::is_symlink(folder / "dangling.rpt"));
    EXPECT_EQ(test::readBytes(folder / "real" / "new.rpt"), serializeTable(model));
    std::vector<fs::path> files = test::filesIn(folder / "real");
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<fs::path>{"doc.rpt", "new.rpt"}));
#endif
}

TEST_P(EveryTemporaryKind, AFileWithSeveralLinksKeepsThemAll) {
#ifdef _WIN32
    GTEST_SKIP() << "inode numbers are POSIX; the Windows file tests cover hard links";
#else
    test::writeBytes(folder / "a.rpt", "old\r\n");
    fs::create_hard_link(folder / "a.rpt", folder / "b.rpt");
    const ino_t inode = statOf(folder / "a.rpt").st_ino;
    ASSERT_TRUE(model.save((folder / "a.rpt").string(), hooks())) << model.saveError().reason;
    EXPECT_EQ(test::readBytes(folder / "a.rpt"), expected);
    EXPECT_EQ(test::readBytes(folder / "b.rpt"), expected);
    EXPECT_EQ(statOf(folder / "a.rpt").st_ino, inode);
    EXPECT_EQ(statOf(folder / "a.rpt").st_nlink, 2u);
    // A shorter content leaves nothing of the longer old one.
    ASSERT_TRUE(ReportDefinition().save((folder / "b.rpt").string(), hooks()));
    EXPECT_EQ(test::readBytes(folder / "a.rpt"), test::golden("empty.rpt"));
    EXPECT_EQ(test::filesIn(folder.path()).size(), 2u);
#endif
}

TEST_P(EveryTemporaryKind, AFullDiskKeepsAMultiplyLinkedFileWhole) {
    test::writeBytes(folder / "a.rpt", "old\r\n");
    fs::create_hard_link(folder / "a.rpt", folder / "b.rpt");
    FileWriteHooks full = hooks();
    full.failAfter = 100;
    EXPECT_FALSE(model.save((folder / "a.rpt").string(), full));
    EXPECT_EQ(model.saveError().problem, FileProblem::NoSpace);
    EXPECT_EQ(test::readBytes(folder / "a.rpt"), "old\r\n");
}

TEST_P(EveryTemporaryKind, NamesUpToTheLongestTheSystemAllowsCanBeSaved) {
    for (std::size_t length : {100u, 237u, 238u, 250u, 254u, 255u}) {
        const std::string name = std::string(length - 4, 'n') + ".rpt";
        test::writeBytes(folder / name, "old\r\n");
        ASSERT_TRUE(model.save((folder / name).string(), hooks()))
            << length << ": " << model.saveError().reason;
        EXPECT_EQ(test::readBytes(folder / name), expected);
        ASSERT_TRUE(model.exportTable((folder / ("t" + name.substr(1))).string(), hooks())) << length;
        fs::remove(folder / name);
        fs::remove(folder / ("t" + name.substr(1)));
        EXPECT_TRUE(test::filesIn(folder.path()).empty()) << length;
    }
}

// The new content is readable by its owner only while it is written, whatever the old mode.
TEST_P(EveryTemporaryKind, TheNewFileIsPrivateUntilItTakesTheOldMode) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files have no POSIX mode";
#else
    const fs::path target = folder / "doc.rpt";
    for (mode_t mode : {mode_t{0644}, mode_t{0640}, mode_t{0604}, mode_t{02755}}) {
        test::writeBytes(target, "old\r\n");
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        std::vector<mode_t> seen;
        const auto observer = [&](FileStep step, std::size_t) {
            if (step != FileStep::Wrote) {
                return;
            }
            // Every open file in the folder other than the target is the new content.
            for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
                std::error_code ec;
                const fs::path linked = fs::read_symlink(entry.path(), ec);
                if (!ec && linked.parent_path() == folder.path() && linked != target) {
                    struct stat info {};
                    if (::stat(entry.path().c_str(), &info) == 0) {
                        seen.push_back(info.st_mode & 07777);
                    }
                }
            }
        };
        ASSERT_TRUE(largeDefinition().save(target.string(), hooks(observer)));
        ASSERT_FALSE(seen.empty());
        for (mode_t during : seen) {
            EXPECT_EQ(during & 077, 0u) << std::oct << during << " while saving over " << mode;
        }
        EXPECT_EQ(statOf(target).st_mode & 07777, mode) << std::oct << mode;
    }
    // A new file gets the mode the process would give any new file.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    ASSERT_TRUE(model.save((folder / "new.rpt").string(), hooks()));
    EXPECT_EQ(statOf(folder / "new.rpt").st_mode & 0777, 0666 & ~mask);
#endif
}

#ifndef _WIN32
// Gives `folder` the default ACL u::rw, u:nobody:rw, g::rw, mask::rw, o::- (what setfacl -d -m
// u::rw,g::rw,o::-,u:nobody:rw makes). False where the filesystem has no ACLs.
bool setDefaultAcl(const fs::path& folder) {
    struct Entry {
        std::uint16_t tag;
        std::uint16_t permissions;
        std::uint32_t id;
    };
    const std::uint32_t version = 2;
    const Entry entries[] = {{0x01, 6, 0xFFFFFFFF},
                             {0x02, 6, 65534},
                             {0x04, 6, 0xFFFFFFFF},
                             {0x10, 6, 0xFFFFFFFF},
                             {0x20, 0, 0xFFFFFFFF}};
    std::string value(reinterpret_cast<const char*>(&version), sizeof version);
    value.append(reinterpret_cast<const char*>(entries), sizeof entries);
    return ::setxattr(folder.c_str(), "system.posix_acl_default", value.data(), value.size(), 0) == 0;
}

// The access ACL of a file, empty when it has none beyond its mode.
std::string accessAcl(const fs::path& path) {
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), "system.posix_acl_access", value, sizeof value);
    return size > 0 ? std::string(value, static_cast<std::size_t>(size)) : std::string();
}

#endif

// A new file gets the permissions any program's new file gets in its folder: from the folder's
// default ACL where it has one (the umask then does not count), else 0666 without the umask.
TEST_P(EveryTemporaryKind, ANewFileGetsThePermissionsTheFolderGivesNewFiles) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows files have no POSIX mode or default ACL";
#else
    const fs::path shared = folder / "shared";
    fs::create_directory(shared);
    if (!setDefaultAcl(shared)) {
        GTEST_SKIP() << "the filesystem has no ACLs";
    }
    for (const fs::path& where : {shared, folder.path()}) {
        for (mode_t mask : {mode_t{022}, mode_t{0}, mode_t{077}}) {
            const mode_t previous = ::umask(mask);
            const int plain = ::open((where / "plain").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0666);
            const bool saved = model.save((where / "new.rpt").string(), hooks());
            const bool exported = model.exportTable((where / "new.txt").string(), hooks());
            ::umask(previous);
            ASSERT_GE(plain, 0);
            ::close(plain);
            ASSERT_TRUE(saved && exported) << model.saveError().reason;
            const mode_t expected = statOf(where / "plain").st_mode & 07777;
            for (const char* name : {"new.rpt", "new.txt"}) {
                SCOPED_TRACE((where / name).string() + ", umask " + std::to_string(mask));
                EXPECT_EQ(statOf(where / name).st_mode & 07777, expected) << std::oct << expected;
                EXPECT_EQ(accessAcl(where / name), accessAcl(where / "plain"));
            }
            for (const char* name : {"plain", "new.rpt", "new.txt"}) {
                fs::remove(where / name);
            }
            // Nothing else is left behind.
            EXPECT_EQ(test::filesIn(where),
                      where == shared ? std::vector<fs::path>{} : std::vector<fs::path>{"shared"});
        }
    }
#endif
}

// Flushing the file, replacing it and flushing its folder, in this order.
TEST_P(EveryTemporaryKind, TheFileAndThenItsFolderAreFlushedAroundTheReplace) {
    test::writeBytes(folder / "doc.rpt", "old\r\n");
    std::vector<FileStep> steps;
    const auto observer = [&](FileStep step, std::size_t) {
        if (step != FileStep::Wrote) {
            steps.push_back(step);
        }
    };
    ASSERT_TRUE(model.save((folder / "doc.rpt").string(), hooks(observer)));
    EXPECT_EQ(steps,
              (std::vector<FileStep>{FileStep::SyncedFile, FileStep::Replaced, FileStep::SyncedFolder}));
}

// A signal in the middle of a save ends the process with that signal and leaves only the old file.
TEST_P(EveryTemporaryKind, ASignalDuringASaveLeavesNoTemporaryFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no POSIX signals or fork";
#else
    const fs::path target = folder / "doc.rpt";
    std::vector<int> signals{SIGINT, SIGTERM, SIGHUP};
    if (GetParam()) {
        signals.push_back(SIGKILL); // unnamed files vanish with the process
    }
    const ReportDefinition large = largeDefinition();
    for (int signal : signals) {
        test::writeBytes(target, "old\r\n");
        const test::ChildResult child = test::runInChild(
            [&](std::string&) {
                installTemporaryFileCleanup();
                large.save(target.string(), hooks([signal](FileStep step, std::size_t bytes) {
                               if (step == FileStep::Wrote && bytes > 300'000) {
                                   ::raise(signal);
                               }
                           }));
            },
            false);
        EXPECT_FALSE(child.exited) << strsignal(signal);
        EXPECT_EQ(child.code, signal) << strsignal(signal);
        EXPECT_EQ(test::filesIn(folder.path()), std::vector<fs::path>{"doc.rpt"}) << strsignal(signal);
        EXPECT_EQ(test::readBytes(target), "old\r\n");
    }
#endif
}

INSTANTIATE_TEST_SUITE_P(Temporaries, EveryTemporaryKind, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Unnamed" : "Named"); });

TEST(SafeSaveTest, APipeIsWrittenInPlaceWithoutTemporaryFileOrRename) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no fifos";
#else
    test::ScratchFolder folder;
    const fs::path fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const ReportDefinition model = test::exampleDefinition();
    for (bool table : {false, true}) {
        std::string received;
        std::thread reader([&] { received = test::readBytes(fifo); });
        const bool ok = table ? model.exportTable(fifo.string()) : model.save(fifo.string());
        reader.join();
        EXPECT_TRUE(ok) << model.saveError().reason;
        EXPECT_EQ(received, table ? serializeTable(model) : serializeDefinition(model));
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_EQ(test::filesIn(folder.path()), std::vector<fs::path>{"pipe"});
    }
#endif
}

TEST(SafeSaveTest, AnOpenPipeOrDeviceNamedThroughProcIsWrittenAndItsFailuresReported) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no /proc or /dev/full";
#else
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const ReportDefinition model = test::exampleDefinition();
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
    });
    const std::string viaProc = "/proc/self/fd/" + std::to_string(ends[1]);
    EXPECT_TRUE(model.save(viaProc)) << model.saveError().reason;
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    EXPECT_EQ(received, serializeDefinition(model));

    // A device that refuses the bytes: the save is false and says why.
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0) {
        GTEST_SKIP() << "no /dev/full to write to";
    }
    EXPECT_FALSE(model.save("/proc/self/fd/" + std::to_string(full)));
    ::close(full);
    EXPECT_EQ(model.saveError().problem, FileProblem::NoSpace);
    EXPECT_NE(model.saveError().reason.find("full"), std::string::npos) << model.saveError().reason;
#endif
}

TEST(SafeSaveTest, AFolderIsNeitherReplacedNorWritten) {
    test::ScratchFolder folder;
    fs::create_directories(folder / "sub");
    EXPECT_FALSE(ReportDefinition().save((folder / "sub").string()));
    ReportDefinition d;
    EXPECT_FALSE(d.exportTable((folder / "sub").string()));
    EXPECT_EQ(d.saveError().problem, FileProblem::IsFolder);
    EXPECT_TRUE(fs::is_directory(folder / "sub"));
    EXPECT_FALSE(d.save(""));
    EXPECT_EQ(d.saveError().problem, FileProblem::NoFileName);
    EXPECT_FALSE(d.save((folder / "missing" / "x.rpt").string()));
    EXPECT_EQ(d.saveError().problem, FileProblem::NotFound);
}

// The user nobody, in a folder everyone may write to, saving over files it may not write, its own
// read-only file and a file of root's that it may write.
TEST(UnprivilegedSaveTest, ReadOnlyFilesAreRefusedAndOthersFilesKeepTheirOwner) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no POSIX owners or the user nobody";
#else
    test::ScratchFolder folder;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    unsigned nobody = 0;
    unsigned nogroup = 0;
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && !test::nobodyIds(nobody, nogroup)) {
        GTEST_SKIP() << "there is no user nobody to run the unprivileged cases as";
    }
    const fs::path othersReadOnly = folder / "others-read-only.rpt";
    const fs::path ownReadOnly = folder / "own-read-only.rpt";
    const fs::path othersWritable = folder / "others-writable.rpt";
    for (const fs::path& file : {othersReadOnly, ownReadOnly, othersWritable}) {
        test::writeBytes(file, "old\r\n");
    }
    ::chmod(othersReadOnly.c_str(), 0644);
    ::chmod(ownReadOnly.c_str(), 0444);
    ::chmod(othersWritable.c_str(), 0666);
    if (asRoot) {
        ASSERT_EQ(::chown(ownReadOnly.c_str(), nobody, nogroup), 0);
    }
    const ino_t writableInode = statOf(othersWritable).st_ino;
    const uid_t owner = statOf(othersWritable).st_uid;

    std::string skip;
    const test::ChildResult child = test::runInChild(
        [&](std::string& report) {
            const ReportDefinition d = test::exampleDefinition();
            for (const fs::path& file : {othersReadOnly, ownReadOnly, othersWritable}) {
                const bool ok = d.save(file.string());
                report += (ok ? "ok"
                              : std::to_string(static_cast<int>(d.saveError().problem)) + " " +
                                    d.saveError().reason) +
                          "\n";
            }
        },
        true, &skip);
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    ASSERT_TRUE(child.exited) << child.code;
    ASSERT_EQ(child.code, 0);
    const std::string readOnly =
        std::to_string(static_cast<int>(FileProblem::ReadOnly)) + " the file is read-only\n";
    if (asRoot) {
        EXPECT_EQ(child.output, readOnly + readOnly + "ok\n");
        EXPECT_EQ(test::readBytes(othersReadOnly), "old\r\n");
    } else {
        // Without root the "other" files are the test's own: only the 0444 one is read-only.
        EXPECT_EQ(child.output, "ok\n" + readOnly + "ok\n");
    }
    EXPECT_EQ(test::readBytes(ownReadOnly), "old\r\n");
    EXPECT_EQ(test::readBytes(othersWritable), serializeDefinition(test::exampleDefinition()));
    // Written in place: the file is the same, and so is its owner.
    if (asRoot) {
        EXPECT_EQ(statOf(othersWritable).st_ino, writableInode);
    }
    EXPECT_EQ(statOf(othersWritable).st_uid, owner);
    EXPECT_EQ(test::filesIn(folder.path()).size(), 3u);
#endif
}

#ifndef _WIN32
std::string attribute(const fs::path& path, const char* name) {
    std::string value(4096, '\0');
    const ssize_t n = ::getxattr(path.c_str(), name, value.data(), value.size());
    return n < 0 ? "<none>" : value.substr(0, static_cast<std::size_t>(n));
}
#endif

// Root saving a file of nobody's: the new file takes over owner, group, mode and attributes.
TEST(OwnerSaveTest, ReplacedFileKeepsOwnerGroupModeAndAttributes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no POSIX owners or extended attributes";
#else
    unsigned nobody = 0;
    unsigned nogroup = 0;
    if (::geteuid() != 0 || !test::nobodyIds(nobody, nogroup)) {
        GTEST_SKIP() << "giving a file to another user needs root and the user nobody";
    }
    test::ScratchFolder folder;
    const fs::path target = folder / "doc.rpt";
    test::writeBytes(target, "old\r\n");
    ASSERT_EQ(::chown(target.c_str(), nobody, nogroup), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    if (::setxattr(target.c_str(), "user.vornak.origin", "scanner", 7, 0) != 0) {
        GTEST_SKIP() << "the temporary folder's filesystem has no user attributes: " << std::strerror(errno);
    }
    // A POSIX ACL giving nobody's group and user 4242 read access, in the kernel's xattr layout.
    const auto entry = [](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
        std::string bytes(8, '\0');
        std::memcpy(bytes.data(), &tag, 2);
        std::memcpy(bytes.data() + 2, &perm, 2);
        std::memcpy(bytes.data() + 4, &id, 4);
        return bytes;
    };
    const std::string acl = std::string("\x02\0\0\0", 4) + entry(0x01, 6, 0xFFFFFFFF) + entry(0x02, 4, 4242) +
                            entry(0x04, 4, 0xFFFFFFFF) + entry(0x10, 4, 0xFFFFFFFF) +
                            entry(0x20, 0, 0xFFFFFFFF);
    const bool hasAcl = ::setxattr(target.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    const struct stat before = statOf(target);

    const ReportDefinition model = test::exampleDefinition();
    ASSERT_TRUE(model.save(target.string())) << model.saveError().reason;
    const struct stat after = statOf(target);
    EXPECT_NE(after.st_ino, before.st_ino) << "expected a replace, not an in-place write";
    EXPECT_EQ(after.st_uid, nobody);
    EXPECT_EQ(after.st_gid, nogroup);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(attribute(target, "user.vornak.origin"), "scanner");
    if (hasAcl) {
        EXPECT_EQ(attribute(target, "system.posix_acl_access"), acl);
    }
    EXPECT_EQ(test::readBytes(target), serializeDefinition(model));
#endif
}

} // namespace
} // namespace vornak
