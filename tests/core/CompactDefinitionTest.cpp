// The compact definition against the editor's model: the same files give the same texts, the same
// errors at the same lines, the same saved and exported bytes and the same findings; and it holds
// little more than the file's bytes.
#include "CompactDefinition.h"
#include "DefinitionChecks.h"
#include "DefinitionText.h"
#include "LineSource.h"
#include "ReportDefinition.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vornak {
namespace {

using test::crlfLines;

std::string r2(const std::vector<std::string>& body) {
    std::vector<std::string> lines{"R2", "t", "d", "i1", "i2", "s", "a", "src", "org", "date"};
    lines.insert(lines.end(), body.begin(), body.end());
    return crlfLines(lines);
}

// Whole files, damaged ones and every prefix of two real ones (cut inside lines and at their ends).
std::vector<std::string> inputs() {
    const std::string mixed = test::golden("mixed.rpt");
    const std::string r1 = test::golden("r1-hair.rpt");
    std::vector<std::string> all = {
        test::golden("example.rpt"),
        mixed,
        r1,
        mixed + "junk\r\n",
        r2({"0", "1", std::string(2047, 'x'), "r"}),
        r2({"0", "1", std::string(2048, 'x'), "r"}),
        "R2\n" + std::string(5000, 'y'),
        r2({"3", "a", "3", "0", "0", "0", "b", "258", "5", "7", "f0", "0", "c", "-1", "0", "0", "0", "0"}),
        r2({"  +1xyz", "p", "\t1", "", "0", " 2 rows", "a", "b", "c", "d", "e", "f", "none"}),
        r2({"-1", "1", "n", "r"}),
        r2({"0", "1", "a\rb", "r\r"}),
        r2({"2147483647", "a"}),
        r2({"1", "a", "0", "0", "0", "2147483647", "v"}),
        r2({"99999999999999999999", "a"}),
        "",
        "\r\n",
        "R3\r\n",
        "R1\r\nonly\r\n",
    };
    for (const std::string* file : {&mixed, &r1}) {
        for (std::size_t cut = 0; cut < file->size(); cut += 3) {
            all.push_back(file->substr(0, cut));
        }
    }
    return all;
}

// Block size 0 here: the compact definition reads the bytes in place, its texts pointing into them.
TEST(CompactDefinitionTest, ReadsEveryInputAsTheModelDoes) {
    for (const std::size_t blockSize : {std::size_t{1}, std::size_t{7}, LineSource::defaultBlockSize, std::size_t{0}}) {
        for (const std::string& bytes : inputs()) {
            SCOPED_TRACE(::testing::Message() << "block " << blockSize << ", input '" << bytes.substr(0, 40)
                                              << "' of " << bytes.size() << " bytes");
            ReportDefinition model;
            LineSource modelSource(LineSource::InMemory{bytes}, blockSize == 0 ? 1 : blockSize);
            const bool modelRead = model.load(modelSource);
            CompactDefinition compact;
            std::optional<LineSource> compactSource;
            if (blockSize == 0) {
                compactSource.emplace(std::make_shared<HeldString>(bytes));
            } else {
                compactSource.emplace(LineSource::InMemory{bytes}, blockSize);
            }
            ASSERT_EQ(compact.load(*compactSource), modelRead);
            EXPECT_EQ(compact.loadError(), model.loadError());
            EXPECT_EQ(compact.loadedLayout(), model.loadedLayout());
            if (modelRead) {
                EXPECT_EQ(compact.toDefinition(), model);
                EXPECT_EQ(checkDefinition(compact), checkDefinition(model));
            } else {
                // A failed read keeps nothing.
                EXPECT_EQ(compact.parameterCount(), 0u);
                EXPECT_EQ(compact.resultCount(), 0u);
                EXPECT_EQ(compact.toDefinition(), ReportDefinition());
            }
        }
    }
}

TEST(CompactDefinitionTest, FilesThatCannotBeOpenedFailAsTheModelDoes) {
    test::ScratchFolder folder;
    for (const std::string& path : {(folder / "missing.rpt").string(), folder.path().string()}) {
        ReportDefinition model;
        CompactDefinition compact;
        EXPECT_FALSE(model.load(path));
        EXPECT_FALSE(compact.load(path));
        EXPECT_EQ(compact.loadError(), model.loadError());
        EXPECT_FALSE(compact.loadInPlace(path));
        EXPECT_EQ(compact.loadError(), model.loadError());
    }
}

// The same inputs as files read in place (mapped where the system maps them; an empty file is
// read as before): the same outcome as the model's, and the next read forgets the file.
TEST(CompactDefinitionTest, ReadsEveryFileInPlaceAsTheModelDoes) {
    test::ScratchFolder folder;
    const std::vector<std::string> all = inputs();
    CompactDefinition compact;
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "input " << i << " '" << all[i].substr(0, 40) << "'");
        const std::string path = (folder / ("in" + std::to_string(i) + ".rpt")).string();
        test::writeBytes(path, all[i]);
        ReportDefinition model;
        const bool modelRead = model.load(path);
        ASSERT_EQ(compact.loadInPlace(path), modelRead);
        EXPECT_EQ(compact.loadError(), model.loadError());
        EXPECT_FALSE(compact.sourceChanged());
        if (modelRead) {
            EXPECT_EQ(compact.toDefinition(), model);
            EXPECT_EQ(checkDefinition(compact), checkDefinition(model));
        }
    }
}

// A definition with findings of many kinds and texts across several of the compact blocks.
std::string largeFile() {
    ReportDefinition d = test::mixedDefinition();
    for (int p = 0; p < 4000; ++p) {
        ParameterRecord record;
        record.name = p % 97 == 0 ? "" : "Parameter " + std::to_string(p);
        record.kind = static_cast<ValueKind>(p % 4);
        record.isNumber = static_cast<std::uint8_t>(p % 3 == 0);
        record.hasFormula = static_cast<std::uint8_t>(p % 5 == 0);
        record.formula = p % 10 == 0 ? "#P(" + std::to_string(p * 3) + ") + (" : "#R(1) * 2";
        for (int v = 0; v < 6; ++v) {
            record.values.push_back({std::to_string(v * 10 + (p % 7 == 0 ? 5 : 0)),
                                     std::to_string(v * 10 + 10),
                                     std::string(static_cast<std::size_t>(20 + v * 30), 'r') + " #X(" +
                                         std::to_string(v + 8) + ")"});
        }
        d.parameters.push_back(std::move(record));
    }
    return serializeDefinition(d);
}

// Read into blocks of its own, or in place with texts across the 1 MiB pieces the cells count in.
class CompactDefinitionReading : public ::testing::TestWithParam<bool> {};

TEST_P(CompactDefinitionReading, SavesExportsAndChecksAsTheModel) {
    test::ScratchFolder folder;
    const std::string bytes = largeFile();
    ASSERT_GT(bytes.size(), std::size_t{2} << 20);
    test::writeBytes(folder / "in.rpt", bytes);
    ReportDefinition model;
    ASSERT_TRUE(model.load((folder / "in.rpt").string()));
    CompactDefinition compact;
    const bool inPlace = GetParam();
    ASSERT_TRUE(inPlace ? compact.loadInPlace((folder / "in.rpt").string()) : compact.load((folder / "in.rpt").string()))
        << compact.loadError().reason;
#ifndef _WIN32
    if (inPlace) {
        // The texts were not copied: what the definition holds is its index. (Windows reads into
        // blocks: nothing is mapped there.)
        EXPECT_LT(compact.heldBytes(), bytes.size() / 2);
    }
#endif
    ASSERT_TRUE(compact.save((folder / "out.rpt").string())) << compact.saveError().reason;
    EXPECT_EQ(test::readBytes(folder / "out.rpt"), bytes);
    ASSERT_TRUE(compact.exportTable((folder / "out.txt").string()));
    EXPECT_EQ(test::readBytes(folder / "out.txt"), serializeTable(model));
    const std::vector<Finding> findings = checkDefinition(compact);
    EXPECT_GT(findings.size(), 100u);
    EXPECT_EQ(findings, checkDefinition(model));
    std::vector<Finding> oneByOne;
    forEachFinding(compact, [&oneByOne](Finding&& f) { oneByOne.push_back(std::move(f)); });
    EXPECT_EQ(oneByOne, findings);
    // A failed save says why and leaves the target alone.
    EXPECT_FALSE(compact.save((folder / "missing" / "out.rpt").string()));
    EXPECT_NE(compact.saveError().problem, FileProblem::None);
}

INSTANTIATE_TEST_SUITE_P(CompactDefinitionTest, CompactDefinitionReading, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "InPlace" : "IntoBlocks";
                         });

// A copy of the model (what a recovery copy is written from) saves the model's own bytes, or fails
// as the model's save does; only texts too long for any file give no copy.
TEST(CompactDefinitionTest, ACopyOfTheModelSavesAsTheModelDoes) {
    test::ScratchFolder folder;
    std::vector<ReportDefinition> models;
    for (const std::string& bytes : inputs()) {
        test::writeBytes(folder / "in.rpt", bytes);
        ReportDefinition model;
        if (model.load((folder / "in.rpt").string())) {
            models.push_back(std::move(model));
        }
    }
    ASSERT_GT(models.size(), 3u);
    ReportDefinition odd;
    odd.title = "a\nb"; // a line break: the save refuses it
    models.push_back(odd);
    odd.title = "t";
    odd.parameters.push_back({"p", "kept formula", static_cast<ValueKind>(7), 3, 0, {{"v", "u", "r"}, {"", "", ""}}});
    odd.parameters.push_back({"q", "", ValueKind::Input, 0, 1, {}});
    odd.results.push_back({"n", std::string(maxLineBytes, 'x')});
    models.push_back(odd);
    models.push_back(ReportDefinition{});
    for (std::size_t i = 0; i < models.size(); ++i) {
        SCOPED_TRACE(i);
        const ReportDefinition& model = models[i];
        const std::optional<CompactDefinition> copy = CompactDefinition::copyOf(model);
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->toDefinition(), model);
        const bool saved = model.save((folder / "model.rpt").string());
        EXPECT_EQ(copy->save((folder / "copy.rpt").string()), saved);
        EXPECT_EQ(copy->saveError().problem, model.saveError().problem);
        if (saved) {
            EXPECT_EQ(test::readBytes(folder / "copy.rpt"), test::readBytes(folder / "model.rpt"));
        }
    }

    for (const auto& tooLong : std::vector<std::function<void(ReportDefinition&)>>{
             [](ReportDefinition& d) { d.date.assign(maxLineBytes + 1, 'd'); },
             [](ReportDefinition& d) { d.parameters.at(0).values.at(1).upperBound.assign(maxLineBytes + 1, 'u'); },
             [](ReportDefinition& d) { d.results.at(0).name.assign(maxLineBytes + 1, 'n'); }}) {
        ReportDefinition d = odd;
        tooLong(d);
        EXPECT_FALSE(CompactDefinition::copyOf(d));
        EXPECT_FALSE(d.save((folder / "model.rpt").string())) << "no file could hold it either";
    }
}

// A definition of `parameters` parameters whose texts say which copy they belong to.
ReportDefinition definitionMarked(std::size_t parameters, const std::string& mark) {
    ReportDefinition d;
    d.title = "copy " + mark;
    for (std::size_t p = 0; p < parameters; ++p) {
        ParameterRecord record;
        record.name = mark + " parameter " + std::to_string(p);
        record.kind = static_cast<ValueKind>(p % 3);
        record.hasFormula = static_cast<std::uint8_t>(p % 2);
        record.formula = "#P(" + std::to_string(p) + ")";
        for (std::size_t v = 0; v < 8; ++v) {
            record.values.push_back({std::string(40 + v * 30, static_cast<char>('a' + p % 26)), mark,
                                     mark + " result " + std::to_string(v)});
        }
        d.parameters.push_back(std::move(record));
    }
    d.results.push_back({"last " + mark, "#R(1)"});
    return d;
}

// A copy made in the memory of an earlier one is the same as a fresh copy, whichever was larger,
// and a copy as large as the earlier one takes no memory beyond it.
TEST(CompactDefinitionTest, ACopyInTheMemoryOfAnEarlierOneIsWholeAndTakesNoMore) {
    struct Case {
        std::size_t earlier;
        std::size_t next;
    };
    // 7,000 parameters of 8 rows are copied in two halves at once; 5,000 by one thread.
    for (const Case c : {Case{0, 5}, Case{5000, 5000}, Case{5000, 20}, Case{20, 5000}, Case{3000, 0}, Case{7000, 7000},
                         Case{20, 7000}, Case{7000, 100}, Case{5000, 7000}}) {
        SCOPED_TRACE(std::to_string(c.earlier) + " then " + std::to_string(c.next));
        std::optional<CompactDefinition> earlier = CompactDefinition::copyOf(definitionMarked(c.earlier, "old"));
        ASSERT_TRUE(earlier);
        const std::size_t earlierHeld = earlier->heldBytes();
        const ReportDefinition next = definitionMarked(c.next, "new");
        const std::optional<CompactDefinition> fresh = CompactDefinition::copyOf(next);
        const std::optional<CompactDefinition> reused = CompactDefinition::copyOf(next, std::move(*earlier));
        ASSERT_TRUE(fresh);
        ASSERT_TRUE(reused);
        EXPECT_EQ(reused->toDefinition(), next);
        EXPECT_EQ(serializeDefinition(reused->toDefinition()), serializeDefinition(fresh->toDefinition()));
        if (c.next <= c.earlier) {
            EXPECT_EQ(reused->heldBytes(), earlierHeld) << "nothing new was taken";
        }
        // Memory made ahead for exactly this definition holds its copy whole, with nothing taken.
        CompactDefinition prepared = CompactDefinition::withRoom(CompactDefinition::roomFor(next));
        const std::size_t preparedHeld = prepared.heldBytes();
        const std::optional<CompactDefinition> intoPrepared = CompactDefinition::copyOf(next, std::move(prepared));
        ASSERT_TRUE(intoPrepared);
        EXPECT_EQ(intoPrepared->toDefinition(), next);
        EXPECT_EQ(intoPrepared->heldBytes(), preparedHeld) << "the room made ahead was enough";
    }
}

// Edits not yet taken by the model stand in the copy in place of its texts, wherever they are (in a
// small definition, and in either half of one copied in two); places it does not have are passed
// over, and a text too long for any file gives no copy, as a model's text would.
TEST(CompactDefinitionTest, ACopyHoldsTheReplacementsInPlaceOfTheModelsTexts) {
    for (const std::size_t parameters : {std::size_t{3}, std::size_t{7000}}) {
        SCOPED_TRACE(parameters);
        const ReportDefinition model = definitionMarked(parameters, "m");
        const int last = static_cast<int>(parameters);
        const std::vector<TextReplacement> replacements = {
            {{TextField::ReportText, 1, 0}, "new title"},
            {{TextField::ReportText, 9, 0}, ""},
            {{TextField::ParameterName, 1, 0}, "first"},
            {{TextField::ParameterFormula, last, 0}, "#P(1)+1"},
            {{TextField::Value, 2, 1}, "v"},
            {{TextField::UpperBound, last, 8}, std::string(maxLineBytes, 'u')},
            {{TextField::ValueResult, last - 1, 4}, "r"},
            {{TextField::ResultName, 1, 0}, "result"},
            {{TextField::ResultText, 1, 0}, "#R(1)"},
        };
        ReportDefinition expected = model;
        for (const TextReplacement& r : replacements) {
            textAt(expected, r.where) = r.text;
        }
        std::vector<TextReplacement> withStrayPlaces = replacements;
        for (const TextLocation stray : {TextLocation{TextField::ReportText, 10, 0}, TextLocation{TextField::ReportText, 0, 0},
                                         TextLocation{TextField::ParameterName, last + 1, 0},
                                         TextLocation{TextField::Value, 1, 9}, TextLocation{TextField::ValueResult, 1, 0},
                                         TextLocation{TextField::ResultText, 2, 0}}) {
            withStrayPlaces.push_back({stray, "stray"});
        }
        std::optional<CompactDefinition> copy = CompactDefinition::copyOf(model, {}, withStrayPlaces);
        ASSERT_TRUE(copy);
        EXPECT_EQ(copy->toDefinition(), expected);
        // Again into the memory of that copy: the same.
        const std::optional<CompactDefinition> again = CompactDefinition::copyOf(model, std::move(*copy), replacements);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->toDefinition(), expected);
        EXPECT_FALSE(CompactDefinition::copyOf(model, {}, {{{TextField::Value, last, 1}, std::string(maxLineBytes + 1, 'x')}}));
    }
}

// A text too long for any file, in either half of a definition copied in two, gives no copy.
TEST(CompactDefinitionTest, ATextTooLongInEitherHalfGivesNoCopy) {
    ReportDefinition model = definitionMarked(7000, "m");
    for (std::string* text : {&model.parameters.front().values.front().value, &model.parameters.back().name,
                              &model.parameters[3600].values.back().result, &model.results.back().result}) {
        const std::string kept = *text;
        text->assign(maxLineBytes + 1, 't');
        EXPECT_FALSE(CompactDefinition::copyOf(model));
        *text = kept;
    }
    const std::optional<CompactDefinition> copy = CompactDefinition::copyOf(model);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->toDefinition(), model);
}

TEST(CompactDefinitionTest, HoldsLittleMoreThanTheFileAndFreesItOnTheNextRead) {
    test::ScratchFolder folder;
    const std::string bytes = largeFile();
    test::writeBytes(folder / "in.rpt", bytes);
    CompactDefinition compact;
    ASSERT_TRUE(compact.load((folder / "in.rpt").string()));
    EXPECT_LT(static_cast<double>(compact.heldBytes()), 1.5 * static_cast<double>(bytes.size()));
    EXPECT_GT(compact.heldBytes(), bytes.size() / 2);
    // A failed read keeps no memory of the previous definition.
    EXPECT_FALSE(compact.load((folder / "missing.rpt").string()));
    EXPECT_LT(compact.heldBytes(), 4096u);
}

} // namespace
} // namespace vornak
