// vornak-cli diff on real files: a reviewer's three edits are three lines, the same definition in
// two layouts is no difference, and trouble is told apart from "they differ" by the exit status.
#include "CliTestSupport.h"
#include "DefinitionText.h"
#include "ProcessRunner.h"
#include "ReportDefinition.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace vornak::test {
namespace {

using ::testing::HasSubstr;

ProcessResult runCli(const std::vector<std::string>& args) {
    return runProcess(VORNAK_CLI_PATH, args, {});
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        found.push_back(line);
    }
    return found;
}

// Windows-1251 bytes of a few Cyrillic words, as the file holds them.
const std::string sex = "\xcf\xee\xeb";        // Пол
const std::string age = "\xc2\xee\xe7\xf0\xe0\xf1\xf2"; // Возраст
const std::string height = "\xd0\xee\xf1\xf2"; // Рост

ReportDefinition method() {
    ReportDefinition d;
    d.title = "Method";
    ParameterRecord first;
    first.name = sex;
    first.values = {{"m", "", "1"}, {"f", "", "2"}};
    ParameterRecord second;
    second.name = age;
    second.kind = ValueKind::Range;
    second.values = {{"0", "18", "#P(1)"}, {"18", "60", "b"}};
    ParameterRecord third;
    third.name = "Femur";
    third.kind = ValueKind::Input;
    third.values = {{"", "", "#P(3)*2.6"}};
    d.parameters = {first, second, third};
    d.results = {{height, "#P(3)*2.38+#R(2)"}, {"Note", "#X(1)"}};
    return d;
}

class CliDiffTest : public ::testing::Test {
protected:
    ScratchDir scratch;

    std::string write(const std::string& name, const ReportDefinition& definition) {
        const std::string path = scratch.file(name);
        writeBytes(path, serializeDefinition(definition));
        return path;
    }
};

TEST_F(CliDiffTest, ABoundAnInsertedParameterAndAResultTextAreExactlyThreeLines) {
    const ReportDefinition before = method();
    ReportDefinition after = before;
    after.parameters[1].values[1].upperBound = "65";
    // Inserted as the new second parameter: every later code is renumbered in the same edit.
    applyTextChanges(after, renumberParameterReferences(after, numbersAfterInsert(3, 1)), true);
    ParameterRecord weight;
    weight.name = "Weight";
    weight.kind = ValueKind::Input;
    weight.values = {{"", "", ""}};
    after.parameters.insert(after.parameters.begin() + 1, weight);
    after.results[1].result = "#X(1)+1";

    const ProcessResult result = runCli({"diff", write("v1.rpt", before), write("v2.rpt", after)});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(lines(result.out),
              (std::vector<std::string>{"Параметр 2 «Weight» добавлен",
                                        "Параметр 3 «Возраст», строка 2, верхняя граница: «60» → «65»",
                                        "Результат 2 «Note»: «#X(1)» → «#X(1)+1»"}));

    const ProcessResult json = runCli({"diff", "--json", write("v1.rpt", before), write("v2.rpt", after)});
    EXPECT_EQ(json.exitCode, 1);
    const nlohmann::json document = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_TRUE(document.is_array()) << json.out;
    ASSERT_EQ(document.size(), 3u);
    EXPECT_EQ(document[0]["kind"], "inserted");
    EXPECT_EQ(document[0]["part"], "parameter");
    EXPECT_EQ(document[1]["part"], "upper-bound");
    EXPECT_EQ(document[1]["oldRecord"], 2);
    EXPECT_EQ(document[1]["newRecord"], 3);
    EXPECT_EQ(document[1]["before"], "60");
    EXPECT_EQ(document[1]["after"], "65");
    EXPECT_EQ(document[2]["message"], "Результат 2 «Note»: «#X(1)» → «#X(1)+1»");
}

TEST_F(CliDiffTest, TheSameDefinitionInOtherBytesIsNoDifference) {
    const struct {
        const char* what;
        std::string first;
        std::string second;
    } cases[] = {
        {"R1 and R2 layouts", dataFile("r1-hair.rpt"), dataFile("r1-hair-as-r2.rpt")},
        {"a file with itself", dataFile("example.rpt"), dataFile("example.rpt")},
        {"LF and CR LF line ends", write("crlf.rpt", method()), [&] {
             std::string bytes = serializeDefinition(method());
             std::string lf;
             for (char c : bytes) {
                 if (c != '\r') {
                     lf += c;
                 }
             }
             const std::string path = scratch.file("lf.rpt");
             writeBytes(path, lf);
             return path;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool json : {false, true}) {
            std::vector<std::string> args = {"diff"};
            if (json) {
                args.push_back("--json");
            }
            args.push_back(c.first);
            args.push_back(c.second);
            const ProcessResult result = runCli(args);
            EXPECT_EQ(result.exitCode, 0) << result.err;
            EXPECT_EQ(result.out, json ? "[]\n" : "");
        }
    }
}

TEST_F(CliDiffTest, TroubleExitsWithTwoAndSaysWhy) {
    const std::string good = write("good.rpt", method());
    const std::string bad = scratch.file("bad.rpt");
    writeBytes(bad, "R9\r\n");
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"diff", good, scratch.file("missing.rpt")}, "missing.rpt"},
        {{"diff", bad, good}, "bad.rpt"},
        {{"diff", good}, "usage"},
        {{"diff", good, good, good}, "unexpected argument"},
        {{"diff", "--strict", good, good}, "unknown option"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const ProcessResult result = runCli(c.args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, HasSubstr(c.said));
        EXPECT_EQ(lines(result.err).size(), 1u) << result.err;
    }
}

} // namespace
} // namespace vornak::test
