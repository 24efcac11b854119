// Runs the real vornak-cli binary on files in a scratch folder and checks what it prints, what it
// writes and how it exits.
#include "CliTestSupport.h"
#include "ProcessRunner.h"
#include "VornakVersion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace vornak::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Json = nlohmann::json;

// The parsed document, or null (with a failure naming the text) when it is no JSON.
Json parseJson(const std::string& text) {
    Json document = Json::parse(text, nullptr, false);
    EXPECT_FALSE(document.is_discarded()) << text;
    return document.is_discarded() ? Json() : document;
}

// A member's value, or null when the object lacks it.
const Json& member(const Json& object, const char* key) {
    static const Json missing;
    if (!object.is_object()) {
        return missing;
    }
    const auto found = object.find(key);
    return found == object.end() ? missing : *found;
}

const Json& element(const Json& array, std::size_t index) {
    static const Json missing;
    return array.is_array() && index < array.size() ? array[index] : missing;
}

ProcessResult runCli(const std::vector<std::string>& args, const ProcessOptions& options = {}) {
    return runProcess(VORNAK_CLI_PATH, args, options);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string crlfLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// R2 header: the mark and nine empty texts.
std::vector<std::string> emptyTexts() {
    return {"R2", "", "", "", "", "", "", "", "", ""};
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class CliTest : public ::testing::Test {
protected:
    ScratchDir scratch;

    std::string copyData(const std::string& name) {
        const std::string target = scratch.file(name);
        std::filesystem::copy_file(dataFile(name), target);
        return target;
    }
    std::string writeFile(const std::string& name, const std::string& bytes) {
        const std::string target = scratch.file(name);
        writeBytes(target, bytes);
        return target;
    }
};

TEST_F(CliTest, HelpGoesToStandardOutputAndSucceeds) {
    for (const char* option : {"--help", "-h"}) {
        const ProcessResult result = runCli({option});
        EXPECT_EQ(result.exitCode, 0) << option;
        EXPECT_THAT(result.out, StartsWith("Usage: vornak-cli check [--json] [--strict] FILE...")) << option;
        EXPECT_THAT(result.out, HasSubstr("export-table IN OUT")) << option;
        EXPECT_EQ(result.err, "") << option;
    }
}

TEST_F(CliTest, VersionGoesToStandardOutputAndSucceeds) {
    const ProcessResult result = runCli({"--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, std::string("vornak-cli ") + VORNAK_VERSION + "\n");
    EXPECT_EQ(result.err, "");
    EXPECT_THAT(runCli({"--help"}).out, HasSubstr("--version"));
}

TEST_F(CliTest, WrongCommandLinesExitWithTwoAndAOneLineHintNamingTheReasonOnce) {
    const std::string file = copyData("cli-example.rpt");
    const std::string a = scratch.file("a.rpt");
    const std::string b = scratch.file("b.rpt");
    const struct {
        std::vector<std::string> args;
        std::string reason;
    } cases[] = {
        {{}, "no command given"},
        {{"frobnicate", file}, "unknown command 'frobnicate'"},
        // An option where the command belongs is an option, not a command.
        {{"--frob"}, "unknown option '--frob'"},
        {{"-x", file}, "unknown option '-x'"},
        {{"--versions"}, "unknown option '--versions'"},
        {{"--version", "extra"}, "unexpected argument 'extra'"},
        {{"--help", "check"}, "unexpected argument 'check'"},
        {{"check"}, "usage: vornak-cli check [--json] [--strict] FILE..."},
        {{"check", "--strickt", file}, "unknown option '--strickt'"},
        {{"check", "--version", file}, "unknown option '--version'"},
        {{"dump", "--json", file}, "unknown option '--json'"},
        {{"convert", "--strict", file, a}, "unknown option '--strict'"},
        {{"convert", file}, "usage: vornak-cli convert IN OUT"},
        {{"convert", file, a, b}, "unexpected argument '" + b + "'"},
        {{"export-table"}, "usage: vornak-cli export-table IN OUT"},
        {{"export-table", file}, "usage: vornak-cli export-table IN OUT"},
        {{"export-table", file, a, "--", b}, "unexpected argument '" + b + "'"},
        {{"dump"}, "usage: vornak-cli dump FILE"},
        {{"dump", file, file}, "unexpected argument '" + file + "'"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = runCli(c.args);
        const std::string shown =
            c.args.empty() ? "(none)" : c.args[0] + " ... (" + std::to_string(c.args.size()) + ")";
        EXPECT_EQ(result.exitCode, 2) << shown;
        EXPECT_EQ(result.out, "") << shown;
        EXPECT_EQ(result.err, "vornak-cli: " + c.reason + " (see vornak-cli --help)\n") << shown;
    }
    // Nothing was written by any of them.
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_FALSE(std::filesystem::exists(b));
}

// A file the system refuses to create is reported with one reason, not ours and the system's
// saying the same thing twice.
TEST_F(CliTest, AWriteIntoAMissingFolderSaysSoOnce) {
    const std::string file = copyData("cli-example.rpt");
    for (const char* command : {"convert", "export-table"}) {
        const std::string target = scratch.file("missing/out.rpt");
        const ProcessResult result = runCli({command, file, target});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_EQ(result.err, "vornak-cli: cannot write " + target + ": the folder does not exist\n")
            << command;
    }
}

TEST_F(CliTest, CheckReportsLayoutAndCountsOfEveryReadableFile) {
    const struct {
        std::string path;
        std::string summary;
    } cases[] = {
        {copyData("cli-example.rpt"), "ok (R2, 1 parameter, 1 result)"},
        {copyData("cli-r1.rpt"), "ok (R1, 1 parameter, 1 result)"},
        {writeFile("empty.rpt", crlfLines(concat(emptyTexts(), {"0", "0"}))),
         "ok (R2, 0 parameters, 0 results)"},
        {writeFile("two-results.rpt", crlfLines(concat(emptyTexts(), {"0", "2", "a", "1", "b", "2"}))),
         "ok (R2, 0 parameters, 2 results)"},
        {writeFile("lf-only.rpt", "R2\n\n\n\n\n\n\n\n\n\n2\np\n0\n0\n0\n0\nq\n1\n0\n0\n0\n0"),
         "ok (R2, 2 parameters, 0 results)"},
    };
    std::vector<std::string> args = {"check"};
    std::string expected;
    for (const auto& c : cases) {
        args.push_back(c.path);
        expected += c.path + ": " + c.summary + "\n";
    }
    const ProcessResult result = runCli(args);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");
}

TEST_F(CliTest, CheckNamesEachUnreadableFileWithTheLineWhereReadingStopped) {
    const std::string example = readBytes(dataFile("cli-example.rpt"));
    const std::vector<std::string> exampleLines = splitLines(example);
    std::vector<std::string> truncated(exampleLines.begin(), exampleLines.begin() + 19);
    for (std::string& line : truncated) {
        line.pop_back(); // the CR that getline left
    }
    const struct {
        std::string path;
        std::string expectedLine; // "" when no line is involved
    } cases[] = {
        {writeFile("empty-file.rpt", ""), "1"},
        {writeFile("r3.rpt", crlfLines(concat({"R3"}, {"", "", "", "", "", "", "", "", "", "0", "0"}))), "1"},
        {writeFile("r2-space.rpt",
                   crlfLines(concat({"R2 "}, {"", "", "", "", "", "", "", "", "", "0", "0"}))),
         "1"},
        {writeFile("truncated.rpt", crlfLines(truncated)), "20"},
        {writeFile("long-line.rpt", crlfLines(concat(emptyTexts(), {"1", std::string(2048, 'x')}))), "12"},
        {scratch.file("missing.rpt"), ""},
    };
    for (const auto& c : cases) {
        const ProcessResult result = runCli({"check", c.path});
        EXPECT_EQ(result.exitCode, 1) << c.path;
        EXPECT_EQ(result.err, "") << c.path;
        const std::vector<std::string> lines = splitLines(result.out);
        ASSERT_EQ(lines.size(), 1u) << result.out;
        EXPECT_THAT(lines[0], StartsWith(c.path + ": error: ")) << c.path;
        if (!c.expectedLine.empty()) {
            EXPECT_TRUE(mentionsLineNumber(lines[0], c.expectedLine)) << lines[0];
        }
        EXPECT_GT(lines[0].size(), (c.path + ": error: ").size() + 5) << "no reason given: " << lines[0];
    }
}

TEST_F(CliTest, CheckGoesOnAfterAFailedFileAndExitsWithOne) {
    const std::string good = copyData("cli-example.rpt");
    const std::string bad = writeFile("bad.rpt", "R9\r\n");
    const std::string other = copyData("cli-r1.rpt");
    const ProcessResult result = runCli({"check", good, bad, other});
    EXPECT_EQ(result.exitCode, 1);
    const std::vector<std::string> lines = splitLines(result.out);
    ASSERT_EQ(lines.size(), 3u) << result.out;
    EXPECT_THAT(lines[0], StartsWith(good + ": ok "));
    EXPECT_THAT(lines[1], StartsWith(bad + ": error: "));
    EXPECT_THAT(lines[2], StartsWith(other + ": ok "));
}

TEST_F(CliTest, CheckWarnsOfWhatTheRunnerWouldStumbleOnButStillSucceeds) {
    const std::string path = copyData("cli-warnings.rpt");
    const ProcessResult result = runCli({"check", path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    const std::vector<std::string> lines = splitLines(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], path + ": ok (R2, 2 parameters, 1 result)");

    // place, then a piece the problem must quote; in file order.
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"parameter 1", "7"},
        {"parameter 1 formula", "#P(3)"},
        {"parameter 1 formula", "#N(0)"},
        {"parameter 1 value row 1 result", "#X(2)"},
        {"parameter 2", "3"},
        {"parameter 2 value row 2 result", "#N( 3 )"},
        {"result 1", "#R(-1)"},
        {"result 1", "names itself with #X(1)"},
    };
    ASSERT_EQ(lines.size(), expected.size() + 1) << result.out;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string prefix = path + ": warning: " + expected[i].first + ": ";
        EXPECT_THAT(lines[i + 1], StartsWith(prefix));
        EXPECT_THAT(lines[i + 1].substr(prefix.size()), HasSubstr(expected[i].second)) << lines[i + 1];
    }
    // Codes that are fine must not be mentioned.
    for (const char* fine : {"#P(2)", "#R(1)", "#R(2)", "(1+2)^2", "#I(", "#S"}) {
        EXPECT_THAT(result.out, ::testing::Not(HasSubstr(fine))) << fine;
    }
}

// One Range parameter with a gap and a formula missing its closing parenthesis, one number List
// parameter with a word among its values, and two results naming each other.
std::string fileWithNewFindings() {
    return crlfLines(concat(emptyTexts(), {
                                              "2",
                                              "\xd0\xee\xf1\xf2", // Рост
                                              "1",
                                              "1",
                                              "1",
                                              "sqrt(#P(2) * 2",
                                              "2",
                                              "0",
                                              "10",
                                              "A",
                                              "12",
                                              "20",
                                              "B",
                                              "", // no name
                                              "0",
                                              "1",
                                              "0",
                                              "2",
                                              "1",
                                              "",
                                              "x",
                                              "\xe4\xe2\xe0",
                                              "",
                                              "y", // два
                                              "2",
                                              "first",
                                              "#X(2)",
                                              "second",
                                              "#X(1) + #P(",
                                          }));
}

TEST_F(CliTest, CheckReportsSyntaxRangesNumbersCompletenessAndCircles) {
    const std::string path = writeFile("findings.rpt", fileWithNewFindings());
    const ProcessResult result = runCli({"check", path});
    EXPECT_EQ(result.exitCode, 0) << "warnings do not fail";
    EXPECT_EQ(result.err, "");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"parameter 1 formula", "the parenthesis opened at character 5 is never closed"},
        {"parameter 1 value row 2", "no range covers 10 - 12 (gap after row 1)"},
        {"parameter 2 name", "the parameter has no name"},
        {"parameter 2 value row 2 value",
         "the parameter is a number, but '\xd0\xb4\xd0\xb2\xd0\xb0' is not a number"}, // два in UTF-8
        {"result 1", "the results name each other with #X in a circle: 1 > 2 > 1"},
        {"result 2", "the parenthesis opened at character 11 is never closed"},
    };
    const std::vector<std::string> lines = splitLines(result.out);
    ASSERT_EQ(lines.size(), expected.size() + 1) << result.out;
    EXPECT_EQ(lines[0], path + ": ok (R2, 2 parameters, 2 results)");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(lines[i + 1], path + ": warning: " + expected[i].first + ": " + expected[i].second);
    }
}

TEST_F(CliTest, StrictMakesAnyFindingExitWithThreeButAnUnreadableFileStillWithOne) {
    const std::string clean = copyData("cli-example.rpt");
    const std::string findings = writeFile("findings.rpt", fileWithNewFindings());
    const std::string unreadable = writeFile("bad.rpt", "R3\r\n");
    const struct {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{"check", "--strict", clean}, 0},
        {{"check", "--strict", clean, findings}, 3},
        {{"check", findings, "--strict"}, 3},
        {{"check", "--json", "--strict", findings}, 3},
        {{"check", findings}, 0},
        {{"check", "--strict", findings, unreadable}, 1},
        {{"check", "--strict", "--", "--strict"}, 1}, // after "--" it is a file name
    };
    for (const auto& c : cases) {
        const ProcessResult result = runCli(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args.size() << " arguments, last " << c.args.back();
    }
}

TEST_F(CliTest, CheckJsonPrintsEveryFileAndFindingForScripts) {
    const std::string findings = writeFile("findings.rpt", fileWithNewFindings());
    const std::string unreadable = writeFile("bad.rpt", "R2\r\n");
    const ProcessResult result = runCli({"check", "--json", findings, unreadable});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "");
    const Json document = parseJson(result.out);
    const Json& files = member(document, "files");
    ASSERT_EQ(files.size(), 2u);

    const Json& read = files[0];
    EXPECT_EQ(member(read, "file"), findings);
    EXPECT_EQ(member(read, "read"), true);
    EXPECT_EQ(member(read, "layout"), "R2");
    EXPECT_EQ(member(read, "parameters"), 2);
    EXPECT_EQ(member(read, "results"), 2);
    const Json& list = member(read, "findings");
    std::vector<std::string> kinds;
    for (const Json& value : list) {
        kinds.push_back(member(value, "kind").get<std::string>());
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"unclosed-parenthesis", "range-gap", "empty-parameter-name",
                                               "value-not-number", "result-cycle", "unclosed-parenthesis"}));
    ASSERT_EQ(list.size(), 6u);
    const Json& notNumber = list[3];
    EXPECT_EQ(member(notNumber, "place"), "parameter 2 value row 2 value");
    EXPECT_EQ(member(notNumber, "field"), "value");
    EXPECT_EQ(member(notNumber, "record"), 2);
    EXPECT_EQ(member(notNumber, "row"), 2);
    EXPECT_EQ(member(notNumber, "detail"), "два");
    EXPECT_EQ(member(notNumber, "message"), "the parameter is a number, but 'два' is not a number");
    const Json& gap = list[1];
    EXPECT_EQ(member(gap, "number"), 1);
    EXPECT_EQ(member(gap, "detail"), "10 - 12");
    const Json& unclosed = list[5];
    EXPECT_EQ(member(unclosed, "field"), "result-text");
    EXPECT_EQ(member(unclosed, "offset"), 10);

    const Json& failed = files[1];
    EXPECT_EQ(member(failed, "read"), false);
    ASSERT_TRUE(member(failed, "error").is_string());
    EXPECT_THAT(member(failed, "error").get<std::string>(), HasSubstr("line"));
    EXPECT_FALSE(failed.contains("findings"));
}

// Scripts read this layout: keys in alphabetical order, four spaces a level, an empty list of
// findings opened and closed on lines of its own, counts and numbers as plain integers.
TEST_F(CliTest, CheckJsonKeepsItsLayoutByteForByte) {
    writeFile("findings.rpt", fileWithNewFindings());
    writeFile("empty.rpt", crlfLines(concat(emptyTexts(), {"0", "0"})));
    writeFile("bad.rpt", "R2\r\nonly\r\n");
    ProcessOptions options;
    options.workingDirectory = scratch.path().string();
    const ProcessResult result = runCli({"check", "--json", "findings.rpt", "empty.rpt", "bad.rpt"}, options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, readBytes(dataFile("cli-check.json")));
}

TEST_F(CliTest, CheckJsonOfACleanFileHasAnEmptyListOfFindings) {
    const std::string clean = copyData("cli-example.rpt");
    const ProcessResult result = runCli({"check", "--json", clean});
    EXPECT_EQ(result.exitCode, 0);
    const Json document = parseJson(result.out);
    const Json& files = member(document, "files");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(member(files[0], "read"), true);
    EXPECT_TRUE(member(files[0], "findings").is_array());
    EXPECT_TRUE(member(files[0], "findings").empty());
}

TEST_F(CliTest, ConvertWritesAnR1FileAsR2) {
    const std::string in = copyData("cli-r1.rpt");
    const std::string out = scratch.file("converted.rpt");
    const ProcessResult result = runCli({"convert", in, out});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readBytes(out), readBytes(dataFile("cli-r1-converted.rpt")));
}

TEST_F(CliTest, ConvertOfAnR2FileWithBareLineFeedsWritesCrLf) {
    std::string lfOnly = readBytes(dataFile("cli-example.rpt"));
    std::erase(lfOnly, '\r');
    const std::string in = writeFile("lf.rpt", lfOnly);
    const std::string out = scratch.file("crlf.rpt");
    // Converting over an existing file replaces it.
    writeBytes(out, "old contents");
    const ProcessResult result = runCli({"convert", in, out});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readBytes(out), readBytes(dataFile("cli-example.rpt")));
}

TEST_F(CliTest, ExportTableWritesTheTabSeparatedTable) {
    const std::string in = copyData("cli-example.rpt");
    const std::string out = scratch.file("table.txt");
    const ProcessResult result = runCli({"export-table", in, out});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readBytes(out), readBytes(dataFile("cli-example.txt")));
}

TEST_F(CliTest, AFailedReadNeitherCreatesNorTouchesTheOutput) {
    const std::string unreadable = writeFile("truncated.rpt", crlfLines(concat(emptyTexts(), {"3", "p"})));
    const std::string existing = writeFile("existing.out", "keep me\r\n");
    // Whole seconds: every file system keeps those exactly.
    const auto oldTime = std::chrono::floor<std::chrono::seconds>(
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
    std::filesystem::last_write_time(existing, oldTime);

    for (const char* command : {"convert", "export-table"}) {
        const std::string absent = scratch.file(std::string(command) + ".out");
        for (const std::string& out : {absent, existing}) {
            for (const std::string& in : {unreadable, scratch.file("missing.rpt")}) {
                const ProcessResult result = runCli({command, in, out});
                EXPECT_EQ(result.exitCode, 1) << command << " " << in;
                EXPECT_EQ(result.out, "");
                EXPECT_EQ(splitLines(result.err).size(), 1u) << result.err;
                EXPECT_THAT(result.err, HasSubstr(in));
            }
        }
        EXPECT_FALSE(std::filesystem::exists(absent)) << command;
    }
    EXPECT_EQ(readBytes(existing), "keep me\r\n");
    EXPECT_EQ(std::filesystem::last_write_time(existing), oldTime);
    // No temporary files were left beside the outputs either.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u);
}

TEST_F(CliTest, AFailedWriteIsReportedAndExitsWithOne) {
    const std::string in = copyData("cli-example.rpt");
    const std::string notAFolder = writeFile("plain-file", "x");
    for (const char* command : {"convert", "export-table"}) {
        const std::string out = notAFolder + "/out";
        const ProcessResult result = runCli({command, in, out});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, HasSubstr("cannot write " + out)) << command;

        const std::string missingFolder = scratch.file("no-such-folder/out");
        EXPECT_EQ(runCli({command, in, missingFolder}).exitCode, 1) << command;
        EXPECT_FALSE(std::filesystem::exists(scratch.file("no-such-folder")));
    }
}

TEST_F(CliTest, PathsAreTakenAsTheirBytes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows file names are Unicode, not bytes";
#else
    // "Отчёт.rpt" and "Таблица.txt" in Windows-1251: not valid UTF-8.
    const std::string in = scratch.file("\xce\xf2\xf7\xb8\xf2.rpt");
    std::filesystem::copy_file(dataFile("cli-r1.rpt"), in);
    const std::string converted = scratch.file("\xce\xf2\xf7\xb8\xf2-2.rpt");
    const std::string table = scratch.file("\xd2\xe0\xe1\xeb\xe8\xf6\xe0.txt");

    EXPECT_EQ(runCli({"convert", in, converted}).exitCode, 0);
    EXPECT_EQ(readBytes(converted), readBytes(dataFile("cli-r1-converted.rpt")));
    EXPECT_EQ(runCli({"export-table", in, table}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(table));
    const ProcessResult checked = runCli({"check", in});
    EXPECT_EQ(checked.out, in + ": ok (R1, 1 parameter, 1 result)\n");
#endif
}

TEST_F(CliTest, CyrillicFileNamesWorkInEveryCommandAndMessagesNameThemAsGiven) {
    const std::string in = scratch.file("Отчёт № 1.rpt");
    std::filesystem::copy_file(pathOf(dataFile("cli-r1.rpt")), pathOf(in));
    const std::string converted = scratch.file("Отчёт № 1 (R2).rpt");
    const std::string table = scratch.file("Таблица.txt");

    EXPECT_EQ(runCli({"convert", in, converted}).exitCode, 0);
    EXPECT_EQ(readBytes(converted), readBytes(dataFile("cli-r1-converted.rpt")));
    EXPECT_EQ(runCli({"export-table", in, table}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(pathOf(table)));
    EXPECT_EQ(runCli({"check", in}).out, in + ": ok (R1, 1 parameter, 1 result)\n");
    const Json document = parseJson(runCli({"check", "--json", in}).out);
    EXPECT_EQ(member(element(member(document, "files"), 0), "file"), in);

    const std::string missing = scratch.file("Нет такого.rpt");
    const ProcessResult failed = runCli({"dump", missing});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_THAT(failed.err, StartsWith("vornak-cli: cannot read " + missing + ": "));
}

TEST_F(CliTest, DoubleDashLetsFileNamesStartWithADash) {
    copyData("cli-example.rpt");
    std::filesystem::rename(scratch.file("cli-example.rpt"), scratch.file("-example.rpt"));
    ProcessOptions options;
    options.workingDirectory = scratch.path().string();

    const ProcessResult refused = runCli({"check", "-example.rpt"}, options);
    EXPECT_EQ(refused.exitCode, 2);
    const ProcessResult accepted = runCli({"check", "--", "-example.rpt"}, options);
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_EQ(accepted.out, "-example.rpt: ok (R2, 1 parameter, 1 result)\n");
}

TEST_F(CliTest, DumpPrintsTheModelAsJsonInFieldOrderWithUtf8Texts) {
    const ProcessResult result = runCli({"dump", copyData("cli-example.rpt")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");

    const std::vector<std::string> valueRow = {"value", "upperBound", "result"};
    std::vector<std::string> expectedKeys = {"parameters", "name",       "formula", "kind",
                                             "isNumber",   "hasFormula", "values"};
    expectedKeys = concat(concat(expectedKeys, valueRow), valueRow);
    expectedKeys =
        concat(expectedKeys, {"results", "name", "result", "title", "documentFile", "input1Caption",
                              "input2Caption", "surnameCaption", "author", "source", "organisation", "date"});
    EXPECT_EQ(jsonKeysInOrder(result.out), expectedKeys);

    const Json root = parseJson(result.out);
    EXPECT_EQ(member(root, "title"), "Определение роста по позвонкам");
    EXPECT_EQ(member(root, "input1Caption"), "Приложение № ");
    EXPECT_EQ(member(root, "date"), "07.12.2024");
    const Json& parameter = element(member(root, "parameters"), 0);
    EXPECT_EQ(member(parameter, "name"), "Передняя высота тела 1 позвонка");
    EXPECT_EQ(member(parameter, "formula"), "");
    EXPECT_EQ(member(parameter, "kind"), 1);
    EXPECT_EQ(member(parameter, "isNumber"), 1);
    EXPECT_EQ(member(parameter, "hasFormula"), 0);
    const Json& values = member(parameter, "values");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(member(values[1], "value"), "23.7");
    EXPECT_EQ(member(values[1], "result"), "Н");
    const Json& results = member(root, "results");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(member(results[0], "name"), "Рост");
    EXPECT_EQ(member(results[0], "result"), "#R(1)");
}

TEST_F(CliTest, DumpOfAnUnreadableFilePrintsNothingAndExitsWithOne) {
    const ProcessResult result = runCli({"dump", writeFile("bad.rpt", "R2\r\nonly a title\r\n")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, StartsWith("vornak-cli: cannot read "));
}

TEST_F(CliTest, OutputThatCannotBeWrittenIsAFailure) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no /dev/full";
#else
    ProcessOptions options;
    options.stdoutToFile = "/dev/full";
    const std::string in = copyData("cli-example.rpt");
    for (const char* command : {"dump", "check"}) {
        const ProcessResult result = runCli({command, in}, options);
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_THAT(result.err, HasSubstr("standard output")) << command;
    }
#endif
}

} // namespace
} // namespace vornak::test
