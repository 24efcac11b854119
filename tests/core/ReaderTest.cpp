#include "ReportDefinition.h"
#include "TestFiles.h"

#include <functional>
#include <gtest/gtest.h>

namespace vornak {
namespace {

using test::crlfLines;

const std::vector<std::string> nineTexts{"t", "d", "i1", "i2", "s", "a", "src", "org", "date"};

std::string r2(const std::vector<std::string>& body) {
    std::vector<std::string> lines{"R2"};
    lines.insert(lines.end(), nineTexts.begin(), nineTexts.end());
    lines.insert(lines.end(), body.begin(), body.end());
    return crlfLines(lines);
}

std::string lfOnly(std::string bytes) {
    std::string out;
    for (char c : bytes) {
        if (c != '\r') {
            out += c;
        }
    }
    return out;
}

struct ReadCase {
    const char* name;
    std::string bytes;
    bool ok;
    int errorLine;          // checked when !ok
    const char* reasonPart; // checked when !ok
    std::function<void(const ReportDefinition&)> check;
};

void loadsLike(const ReportDefinition& d, const ReportDefinition& expected) {
    EXPECT_EQ(d, expected);
}

std::vector<ReadCase> readCases() {
    const std::string line2047(2047, 'x');
    const std::string line2048(2048, 'x');
    std::string noFinalEnd = test::golden("example.rpt");
    noFinalEnd.resize(noFinalEnd.size() - 2);
    return {
        {"Example", test::golden("example.rpt"), true, 0, "",
         [](const ReportDefinition& d) { loadsLike(d, test::exampleDefinition()); }},
        {"Mixed", test::golden("mixed.rpt"), true, 0, "",
         [](const ReportDefinition& d) { loadsLike(d, test::mixedDefinition()); }},
        {"BareLineFeeds", lfOnly(test::golden("mixed.rpt")), true, 0, "",
         [](const ReportDefinition& d) { loadsLike(d, test::mixedDefinition()); }},
        {"NoFinalLineEnd", noFinalEnd, true, 0, "",
         [](const ReportDefinition& d) { loadsLike(d, test::exampleDefinition()); }},
        {"R1", test::golden("r1-hair.rpt"), true, 0, "",
         [](const ReportDefinition& d) {
             ASSERT_EQ(d.parameters.size(), 1u);
             EXPECT_EQ(d.parameters[0].hasFormula, 0);
             EXPECT_TRUE(d.parameters[0].formula.empty());
             EXPECT_EQ(d.parameters[0].values.size(), 2u);
             EXPECT_EQ(d.results.size(), 1u);
         }},
        {"TextOf2047BytesIsWhole", r2({"0", "1", line2047, "r"}), true, 0, "",
         [line2047](const ReportDefinition& d) { EXPECT_EQ(d.results.at(0).name, line2047); }},
        {"TextOf2048BytesFails", r2({"0", "1", line2048, "r"}), false, 13, "longer than 2047 bytes", nullptr},
        {"LongLastLineWithoutEndFails", "R2\n" + line2048, false, 2, "longer than 2047 bytes", nullptr},
        {"KindTakesTheLowEightBits",
         r2({"3", "a", "3", "0", "0", "0", "b", "258", "5", "7", "f0", "0", "c", "-1", "0", "0", "0", "0"}),
         true, 0, "",
         [](const ReportDefinition& d) {
             ASSERT_EQ(d.parameters.size(), 3u);
             EXPECT_EQ(static_cast<int>(d.parameters[0].kind), 3);
             EXPECT_EQ(static_cast<int>(d.parameters[1].kind), 2);
             EXPECT_EQ(d.parameters[1].isNumber, 1);
             EXPECT_EQ(d.parameters[1].hasFormula, 1);
             EXPECT_EQ(d.parameters[1].formula, "f0");
             EXPECT_EQ(static_cast<int>(d.parameters[2].kind), 255);
         }},
        {"NumbersReadAsAtoiReadsThem",
         r2({"  +1xyz", "p", "\t1", "", "0", " 2 rows", "a", "b", "c", "d", "e", "f", "none"}), true, 0, "",
         [](const ReportDefinition& d) {
             ASSERT_EQ(d.parameters.size(), 1u);
             EXPECT_EQ(static_cast<int>(d.parameters[0].kind), 1);
             EXPECT_EQ(d.parameters[0].values.size(), 2u);
             EXPECT_TRUE(d.results.empty());
         }},
        {"NegativeParameterCountReadsNextLineAsResultCount", r2({"-1", "1", "n", "r"}), true, 0, "",
         [](const ReportDefinition& d) {
             EXPECT_TRUE(d.parameters.empty());
             ASSERT_EQ(d.results.size(), 1u);
             EXPECT_EQ(d.results[0], (ResultRow{"n", "r"}));
         }},
        {"ExtraLinesAreIgnored", test::golden("example.rpt") + "junk\r\nmore\r\n", true, 0, "",
         [](const ReportDefinition& d) { loadsLike(d, test::exampleDefinition()); }},
        {"SpacesInTextsAreKept", r2({"0", "1", "  n  ", " r"}), true, 0, "",
         [](const ReportDefinition& d) {
             EXPECT_EQ(d.results.at(0), (ResultRow{"  n  ", " r"}));
         }},
        {"LoneCarriageReturnStaysInTheText", r2({"0", "1", "a\rb", "r\r"}), true, 0, "",
         [](const ReportDefinition& d) {
             EXPECT_EQ(d.results.at(0), (ResultRow{"a\rb", "r\r"}));
         }},
        {"EmptyFile", "", false, 1, "empty", nullptr},
        {"FirstLineEmpty", "\r\n", false, 1, "neither R1 nor R2", nullptr},
        {"FirstLineWithSpace", "R2 \r\n", false, 1, "neither R1 nor R2", nullptr},
        {"LowerCaseMark", "r2\r\n", false, 1, "neither R1 nor R2", nullptr},
        {"R3", "R3\r\n", false, 1, "neither R1 nor R2", nullptr},
        {"EndsInsideTexts", crlfLines({"R2", "t", "d"}), false, 4, "the file ends at line 4, inside the nine",
         nullptr},
        {"EndsBeforeParameterCount", r2({}), false, 11, "parameter count", nullptr},
        {"TruncatedInsideSecondParametersRows",
         r2({"2", "a", "0", "0", "0", "1", "v", "u", "r", "b", "1", "0", "0", "3", "v", "u", "r", "v2"}),
         false, 29, "the file ends at line 29, inside parameter 2", nullptr},
        {"EndsInsideResults", r2({"0", "2", "n", "r", "n2"}), false, 16, "inside result 2", nullptr},
        {"HugeParameterCountInATinyFile", r2({"2147483647", "a"}), false, 13, "inside parameter 1", nullptr},
        {"HugeRowCountInATinyFile", r2({"1", "a", "0", "0", "0", "2147483647", "v"}), false, 18,
         "inside parameter 1", nullptr},
        {"OverflowingCountSaturates", r2({"99999999999999999999", "a"}), false, 13, "inside parameter 1",
         nullptr},
    };
}

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReaderTest, ReadsOrRefusesAsTheFormatSays) {
    const ReadCase& c = GetParam();
    test::ScratchFolder folder;
    test::writeBytes(folder / "in.rpt", c.bytes);
    ReportDefinition d;
    const bool ok = d.load((folder / "in.rpt").string());
    ASSERT_EQ(ok, c.ok) << d.loadError().reason;
    if (ok) {
        EXPECT_EQ(d.loadError(), LoadError{});
        if (c.check) {
            c.check(d);
        }
    } else {
        EXPECT_EQ(d.loadError().line, c.errorLine) << d.loadError().reason;
        EXPECT_NE(d.loadError().reason.find(c.reasonPart), std::string::npos) << d.loadError().reason;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ReaderTest, ::testing::ValuesIn(readCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderFailureTest, RefusedFirstLineLeavesTheModelUnchanged) {
    test::ScratchFolder folder;
    for (const char* bytes : {"", "R2 \r\nx\r\n", "r2\r\n"}) {
        test::writeBytes(folder / "in.rpt", bytes);
        ReportDefinition d = test::exampleDefinition();
        EXPECT_FALSE(d.load((folder / "in.rpt").string()));
        EXPECT_EQ(d, test::exampleDefinition());
    }
}

TEST(ReaderFailureTest, MissingFileIsReportedWithoutALine) {
    test::ScratchFolder folder;
    ReportDefinition d;
    EXPECT_FALSE(d.load((folder / "absent.rpt").string()));
    EXPECT_EQ(d.loadError().line, 0);
    EXPECT_NE(d.loadError().reason.find("cannot be opened"), std::string::npos);
}

TEST(ReaderFailureTest, LoadR1RefusesAnR2File) {
    test::ScratchFolder folder;
    test::writeBytes(folder / "in.rpt", test::golden("example.rpt"));
    ReportDefinition d;
    EXPECT_FALSE(d.loadR1((folder / "in.rpt").string()));
    EXPECT_EQ(d.loadError().line, 1);
}

TEST(ReaderFailureTest, ErrorFromAnEarlierLoadIsClearedBySuccess) {
    test::ScratchFolder folder;
    test::writeBytes(folder / "bad.rpt", "nope\r\n");
    test::writeBytes(folder / "good.rpt", test::golden("empty.rpt"));
    ReportDefinition d;
    EXPECT_FALSE(d.load((folder / "bad.rpt").string()));
    EXPECT_TRUE(d.load((folder / "good.rpt").string()));
    EXPECT_EQ(d.loadError(), LoadError{});
}

TEST(ReaderFailureTest, R1ConvertsToTheGoldenR2) {
    test::ScratchFolder folder;
    ReportDefinition d;
    ASSERT_TRUE(d.load(std::string(VORNAK_TEST_DATA) + "/r1-hair.rpt"));
    EXPECT_EQ(serializeDefinition(d), test::golden("r1-hair-as-r2.rpt"));
}

} // namespace
} // namespace vornak
