#include "JsonDump.h"

#include "CliTestSupport.h"

#include "LineSource.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace vornak::cli {
namespace {

using test::jsonKeysInOrder;

using Json = nlohmann::json;

Json parse(const std::string& json) {
    const Json document = Json::parse(json, nullptr, false);
    EXPECT_FALSE(document.is_discarded()) << json;
    EXPECT_TRUE(document.is_object()) << json;
    return document.is_object() ? document : Json::object();
}

// The string at a JSON pointer ("/parameters/0/formula"), or "(missing)".
std::string textAt(const Json& root, const char* pointer) {
    const Json::json_pointer where(pointer);
    return root.contains(where) && root.at(where).is_string() ? root.at(where).get<std::string>()
                                                              : "(missing)";
}

TEST(JsonDump, EmptyDefinitionHasEveryTopLevelKeyInFieldOrder) {
    const std::string json = definitionToJson(ReportDefinition());
    EXPECT_EQ(jsonKeysInOrder(json),
              (std::vector<std::string>{"parameters", "results", "title", "documentFile", "input1Caption",
                                        "input2Caption", "surnameCaption", "author", "source", "organisation",
                                        "date"}));
    const Json root = parse(json);
    ASSERT_TRUE(root.contains("parameters"));
    EXPECT_TRUE(root["parameters"].is_array());
    EXPECT_TRUE(root["parameters"].empty());
    EXPECT_EQ(textAt(root, "/date"), "");
    EXPECT_EQ(json.back(), '\n');
}

TEST(JsonDump, KeepsFieldOrderAcrossSeveralRecords) {
    ReportDefinition definition;
    definition.parameters.resize(2);
    definition.parameters[0].values.resize(2);
    definition.results.resize(2);
    const std::vector<std::string> parameter = {"name",     "formula",    "kind",
                                                "isNumber", "hasFormula", "values"};
    const std::vector<std::string> row = {"value", "upperBound", "result"};
    const std::vector<std::string> result = {"name", "result"};

    std::vector<std::string> expected = {"parameters"};
    for (const auto* part : {&parameter, &row, &row, &parameter, &result}) {
        if (part == &result) {
            expected.push_back("results");
            expected.insert(expected.end(), result.begin(), result.end());
        }
        expected.insert(expected.end(), part->begin(), part->end());
    }
    expected.insert(expected.end(), {"title", "documentFile", "input1Caption", "input2Caption",
                                     "surnameCaption", "author", "source", "organisation", "date"});
    EXPECT_EQ(jsonKeysInOrder(definitionToJson(definition)), expected);
}

TEST(JsonDump, DecodesWindows1251AndEscapesWhatJsonMust) {
    const struct {
        std::string bytes;
        std::string text; // UTF-8
    } cases[] = {
        {"\xcf\xf0\xe8\xeb\xee\xe6\xe5\xed\xe8\xe5 \xb9 ", "Приложение № "},
        {"\xa8\xb8", "Ёё"},
        {"\x98\x7f", "\xc2\x98\x7f"}, // the unassigned byte keeps a character of its own
        {"say \"hi\"", "say \"hi\""},
        {"C:\\docs\\a.doc", "C:\\docs\\a.doc"},
        {"a\tb\x01", "a\tb\x01"},
        {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
        {"  spaces kept  ", "  spaces kept  "},
    };
    for (const auto& c : cases) {
        ReportDefinition definition;
        definition.title = c.bytes;
        definition.parameters.resize(1);
        definition.parameters[0].formula = c.bytes;
        definition.parameters[0].values.push_back({c.bytes, "", ""});
        const std::string json = definitionToJson(definition);
        const Json root = parse(json);
        EXPECT_EQ(textAt(root, "/title"), c.text) << json;
        EXPECT_EQ(textAt(root, "/parameters/0/formula"), c.text);
        EXPECT_EQ(textAt(root, "/parameters/0/values/0/value"), c.text);
        // Control characters never appear raw in the output.
        for (char ch : json) {
            EXPECT_FALSE(static_cast<unsigned char>(ch) < 0x20 && ch != '\n') << json;
        }
    }
}

// The command line dumps the compact definition in pieces: the pieces join into the model's JSON.
TEST(JsonDump, TheCompactDefinitionWrittenInPiecesGivesTheModelsJson) {
    ReportDefinition model;
    model.title = "\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA \"quoted\"\t";
    for (int p = 0; p < 600; ++p) {
        ParameterRecord record;
        record.name = "Parameter " + std::to_string(p) + " \xB9";
        record.kind = static_cast<ValueKind>(p % 3);
        record.hasFormula = static_cast<std::uint8_t>(p % 2);
        record.formula = "#P(" + std::to_string(p) + ")";
        for (int v = 0; v < 5; ++v) {
            record.values.push_back({std::to_string(v), std::string(40, 'u'), "\\result\x01"});
        }
        model.parameters.push_back(std::move(record));
    }
    model.results.push_back({"last", "#X(1)"});
    // Both read from the file's bytes, which hold no formula whose flag is off.
    const std::string bytes = serializeDefinition(model);
    ReportDefinition read;
    LineSource modelSource(LineSource::InMemory{bytes});
    ASSERT_TRUE(read.load(modelSource));
    const std::string expected = definitionToJson(read);
    ASSERT_GT(expected.size(), 4u * 64 * 1024); // several pieces
    CompactDefinition compact;
    LineSource source(LineSource::InMemory{bytes});
    ASSERT_TRUE(compact.load(source));
    std::ostringstream out;
    writeDefinitionJson(compact, out);
    EXPECT_EQ(out.str(), expected);
}

} // namespace
} // namespace vornak::cli
