// vornak-cli on targets and inputs that are not plain files in a private folder: links, pipes,
// /proc's names of open files, folders, huge sparse files, other users' files, and signals during
// a convert. The unprivileged cases run the tool as nobody through setpriv.
#include "CliTestSupport.h"
#include "ProcessRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vornak::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

ProcessResult runCli(const std::vector<std::string>& args, const ProcessOptions& options = {}) {
    return runProcess(VORNAK_CLI_PATH, args, options);
}

#ifndef _WIN32
struct stat statOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}
#endif

class CliFileSafetyTest : public ::testing::Test {
protected:
    ScratchDir scratch;
    const std::string in = scratch.file("in.rpt");
    const std::string inBytes = readBytes(dataFile("cli-example.rpt"));

    void SetUp() override { writeBytes(in, inBytes); }
};

TEST_F(CliFileSafetyTest, ConvertThroughALinkWritesTheFileItNamesAndKeepsTheLink) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
    writeBytes(scratch.file("real.rpt"), "old\r\n");
    fs::create_symlink("real.rpt", scratch.file("link.rpt"));
    const ProcessResult result = runCli({"convert", in, scratch.file("link.rpt")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(fs::is_symlink(scratch.file("link.rpt")));
    EXPECT_EQ(readBytes(scratch.file("real.rpt")), inBytes);
#endif
}

TEST_F(CliFileSafetyTest, ConvertToStandardOutputWorksInAPipeAndReportsAFullDevice) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no /proc or /dev/full";
#else
    const ProcessResult piped = runCli({"convert", in, "/proc/self/fd/1"});
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, inBytes);
    const ProcessResult table = runCli({"export-table", in, "/proc/self/fd/1"});
    EXPECT_EQ(table.out, readBytes(dataFile("cli-example.txt")));

    ProcessOptions full;
    full.stdoutToFile = "/dev/full";
    const ProcessResult failed = runCli({"convert", in, "/proc/self/fd/1"}, full);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_THAT(failed.err, HasSubstr("the disk is full"));
#endif
}

TEST_F(CliFileSafetyTest, ConvertIntoAFifoFeedsItsReader) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no fifos";
#else
    const std::string fifo = scratch.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readBytes(fifo); });
    const ProcessResult result = runCli({"convert", in, fifo});
    reader.join();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(received, inBytes);
    EXPECT_TRUE(fs::is_fifo(fifo));
#endif
}

TEST_F(CliFileSafetyTest, InputsThatAreFoldersOrPipesGetFittingAnswers) {
    const ProcessResult folder = runCli({"check", scratch.path().string()});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_THAT(folder.out, HasSubstr("the path names a folder"));

#ifndef _WIN32 // Windows has no fifos
    const std::string fifo = scratch.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string r1 = readBytes(dataFile("cli-r1.rpt"));
    std::thread writer([&] { writeBytes(fifo, r1); });
    const ProcessResult piped = runCli({"check", fifo});
    writer.join();
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, fifo + ": ok (R1, 1 parameter, 1 result)\n");
#endif
}

// A valid start, a count of two thousand million parameters and then 2 GB of zero bytes.
TEST_F(CliFileSafetyTest, AHugeSparseFileWithAHugeCountIsRefusedWithoutCrashing) {
    const std::string sparse = scratch.file("sparse.rpt");
    writeBytes(sparse, "R2\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n2147483647\r\n");
    fs::resize_file(pathOf(sparse), std::uintmax_t{2} << 30);
    const ProcessResult result = runCli({"check", sparse});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_THAT(result.out, HasSubstr("line 12 is longer than 2047 bytes"));
}

// R2, nine texts, a count far beyond the file, 3,000 real records and then zeros up to 3 GB: the
// reader must neither trust the count nor the bytes left, and say which line is wrong.
TEST_F(CliFileSafetyTest, ADamagedHugeFileIsReportedByItsLineAfterTheGoodFilesReport) {
    const std::string damaged = scratch.file("damaged.rpt");
    std::string start = "R2\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n2147483647\r\n";
    for (int i = 0; i < 3000; ++i) {
        start += "p\r\n0\r\n0\r\n0\r\n0\r\n";
    }
    writeBytes(damaged, start);
    fs::resize_file(pathOf(damaged), std::uintmax_t{3} << 30);
    const ProcessResult result = runCli({"check", in, damaged});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    const std::size_t good = result.out.find(in + ": ok (R2");
    const std::size_t bad = result.out.find(damaged + ": error: line 15012 is longer than 2047 bytes");
    EXPECT_NE(good, std::string::npos) << result.out;
    EXPECT_NE(bad, std::string::npos) << result.out;
    EXPECT_LT(good, bad) << result.out;
    EXPECT_THAT(result.out, ::testing::Not(HasSubstr("memory")));
}

// export-table IN IN would put the table where the definition was: refused, whatever name the
// output reaches the input by.
TEST_F(CliFileSafetyTest, ExportTableRefusesToWriteOverItsOwnInput) {
    fs::create_directory(scratch.file("sub"));
    fs::create_hard_link(in, scratch.file("hardlink.rpt"));
    std::vector<std::string> outputs{in, scratch.file("hardlink.rpt"), scratch.file("sub/../in.rpt"),
                                     scratch.file("./in.rpt")};
#ifndef _WIN32 // symbolic links need a privilege on Windows
    fs::create_symlink("in.rpt", scratch.file("symlink.rpt"));
    outputs.push_back(scratch.file("symlink.rpt"));
    const ino_t inode = statOf(in).st_ino;
#endif
    for (const std::string& out : outputs) {
        SCOPED_TRACE(out);
        const ProcessResult result = runCli({"export-table", in, out});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_THAT(result.err, HasSubstr("cannot write " + out + ": it is the input file"));
        EXPECT_EQ(readBytes(in), inBytes);
#ifndef _WIN32
        EXPECT_EQ(statOf(in).st_ino, inode);
#endif
    }
    // The input through a link, the output the file itself: the same.
    const ProcessResult linked = runCli({"export-table", scratch.file("hardlink.rpt"), in});
    EXPECT_EQ(linked.exitCode, 1);
    EXPECT_EQ(readBytes(in), inBytes);
#ifndef _WIN32
    const ProcessResult symlinked = runCli({"export-table", scratch.file("symlink.rpt"), in});
    EXPECT_EQ(symlinked.exitCode, 1);
    EXPECT_EQ(readBytes(in), inBytes);
#endif
    // Another file is written as ever, and a convert of a file onto itself still rewrites it.
    EXPECT_EQ(runCli({"export-table", in, scratch.file("table.txt")}).exitCode, 0);
    EXPECT_EQ(readBytes(scratch.file("table.txt")), readBytes(dataFile("cli-example.txt")));
    EXPECT_EQ(runCli({"convert", in, in}).exitCode, 0);
}

#ifndef _WIN32
// Runs the tool as nobody; empty when that cannot be done here, with the reason in `skip`.
std::optional<ProcessResult> runCliAsNobody(const ScratchDir& scratch, const std::vector<std::string>& args,
                                            std::string& skip) {
    if (::geteuid() != 0) {
        skip = "running the tool as another user needs root";
        return std::nullopt;
    }
    if (::getpwnam("nobody") == nullptr || ::access("/usr/bin/setpriv", X_OK) != 0) {
        skip = "needs the user nobody and setpriv";
        return std::nullopt;
    }
    // A copy nobody can reach, whatever the build folder's permissions.
    const std::string tool = scratch.file("vornak-cli");
    if (!fs::exists(tool)) {
        fs::copy_file(VORNAK_CLI_PATH, tool);
        ::chmod(tool.c_str(), 0755);
    }
    std::vector<std::string> full{"--reuid=nobody", "--regid=nogroup", "--clear-groups", tool};
    full.insert(full.end(), args.begin(), args.end());
    return runProcess("/usr/bin/setpriv", full);
}
#endif

TEST_F(CliFileSafetyTest, AsAnotherUserReadOnlyFilesAreRefusedAndWritableOnesKeepTheirOwner) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no POSIX owners or the user nobody";
#else
    ::chmod(scratch.path().c_str(), 0777);
    ::chmod(in.c_str(), 0644);
    const std::string readOnly = scratch.file("read-only.rpt");
    const std::string writable = scratch.file("writable.rpt");
    writeBytes(readOnly, "old\r\n");
    writeBytes(writable, "old\r\n");
    ::chmod(readOnly.c_str(), 0644);
    ::chmod(writable.c_str(), 0666);
    const ino_t inode = statOf(writable).st_ino;

    std::string skip;
    const auto refused = runCliAsNobody(scratch, {"convert", in, readOnly}, skip);
    if (!refused) {
        GTEST_SKIP() << skip;
    }
    EXPECT_EQ(refused->exitCode, 1) << refused->err;
    EXPECT_THAT(refused->err, HasSubstr("the file is read-only"));
    EXPECT_EQ(readBytes(readOnly), "old\r\n");

    const auto accepted = runCliAsNobody(scratch, {"convert", in, writable}, skip);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(accepted->exitCode, 0) << accepted->err;
    EXPECT_EQ(readBytes(writable), inBytes);
    EXPECT_EQ(statOf(writable).st_uid, 0u);
    EXPECT_EQ(statOf(writable).st_ino, inode);
#endif
}

#ifndef _WIN32
// What the system has counted of a process's reading and writing so far ("rchar:" or "wchar:" in
// its io file); nothing when it does not say.
std::optional<unsigned long long> ioCount(pid_t pid, const std::string& key) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string name;
    unsigned long long value = 0;
    while (io >> name >> value) {
        if (name == key) {
            return value;
        }
    }
    return std::nullopt;
}
#endif

// A large convert ended by SIGTERM, SIGINT or SIGHUP at different moments of its work (at once,
// halfway through reading, a third and two thirds into writing): the output is either absent or
// complete, and no other file appears.
TEST_F(CliFileSafetyTest, ASignalDuringAConvertLeavesNoTemporaryFile) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no POSIX signals or fork";
#else
    std::string big = "R2\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n1\r\np\r\n0\r\n0\r\n0\r\n400000\r\n";
    for (int r = 0; r < 400'000; ++r) {
        big += "value " + std::to_string(r) + "\r\nbound\r\nresult\r\n";
    }
    big += "0\r\n";
    const std::string bigIn = scratch.file("big.rpt");
    writeBytes(bigIn, big);
    const std::string out = scratch.file("out.rpt");
    if (!ioCount(::getpid(), "wchar:")) {
        GTEST_SKIP() << "the system does not count a process's reading and writing";
    }
    struct Moment {
        const char* counter; // nullptr: at once
        std::size_t bytes;
    };
    const Moment moments[] = {
        {nullptr, 0}, {"rchar:", big.size() / 2}, {"wchar:", big.size() / 3}, {"wchar:", 2 * big.size() / 3}};
    int round = 0;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        for (const Moment& moment : moments) {
            ++round;
            fs::remove(out);
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                ::execl(VORNAK_CLI_PATH, VORNAK_CLI_PATH, "convert", bigIn.c_str(), out.c_str(), nullptr);
                ::_exit(127);
            }
            // Waits for the child's own progress (or its end), not for time.
            int status = 0;
            bool ended = false;
            while (moment.counter != nullptr) {
                if (::waitpid(pid, &status, WNOHANG) == pid) {
                    ended = true;
                    break;
                }
                const std::optional<unsigned long long> done = ioCount(pid, moment.counter);
                if (done && *done >= moment.bytes) {
                    break;
                }
                std::this_thread::yield();
            }
            if (!ended) {
                ::kill(pid, signal);
                ::waitpid(pid, &status, 0);
            }
            const bool signalled = WIFSIGNALED(status) && WTERMSIG(status) == signal;
            const bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            EXPECT_TRUE(signalled || finished) << "round " << round << ", status " << status;
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(scratch.path())) {
                names.push_back(entry.path().filename().string());
            }
            std::sort(names.begin(), names.end());
            if (fs::exists(out)) {
                EXPECT_EQ(fs::file_size(out), big.size()) << "round " << round;
                EXPECT_EQ(names, (std::vector<std::string>{"big.rpt", "in.rpt", "out.rpt"}))
                    << "round " << round;
            } else {
                EXPECT_EQ(names, (std::vector<std::string>{"big.rpt", "in.rpt"})) << "round " << round;
            }
        }
    }
#endif
}

} // namespace
} // namespace vornak::test
