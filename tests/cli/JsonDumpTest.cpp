#include "JsonDump.h"

#include "CliTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vornak::cli {
namespace {

using test::jsonKeysInOrder;

QJsonObject parse(const std::string& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << json;
    EXPECT_TRUE(document.isObject());
    return document.object();
}

TEST(JsonDump, EmptyDefinitionHasEveryTopLevelKeyInFieldOrder) {
    const std::string json = definitionToJson(ReportDefinition());
    EXPECT_EQ(jsonKeysInOrder(json),
              (std::vector<std::string>{"parameters", "results", "title", "documentFile", "input1Caption",
                                        "input2Caption", "surnameCaption", "author", "source", "organisation",
                                        "date"}));
    const QJsonObject root = parse(json);
    EXPECT_TRUE(root["parameters"].isArray());
    EXPECT_TRUE(root["parameters"].toArray().isEmpty());
    EXPECT_TRUE(root["date"].isString());
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
        QString text;
    } cases[] = {
        {"\xcf\xf0\xe8\xeb\xee\xe6\xe5\xed\xe8\xe5 \xb9 ", QString::fromUtf8("Приложение № ")},
        {"\xa8\xb8", QString::fromUtf8("Ёё")},
        {"say \"hi\"", QStringLiteral("say \"hi\"")},
        {"C:\\docs\\a.doc", QStringLiteral("C:\\docs\\a.doc")},
        {"a\tb\x01", QStringLiteral("a\tb\x01")},
        {std::string("nul\0byte", 8), QString::fromUtf8("nul\0byte", 8)},
        {"  spaces kept  ", QStringLiteral("  spaces kept  ")},
    };
    for (const auto& c : cases) {
        ReportDefinition definition;
        definition.title = c.bytes;
        definition.parameters.resize(1);
        definition.parameters[0].formula = c.bytes;
        definition.parameters[0].values.push_back({c.bytes, "", ""});
        const std::string json = definitionToJson(definition);
        const QJsonObject root = parse(json);
        EXPECT_EQ(root["title"].toString(), c.text) << json;
        const QJsonObject parameter = root["parameters"].toArray().at(0).toObject();
        EXPECT_EQ(parameter["formula"].toString(), c.text);
        EXPECT_EQ(parameter["values"].toArray().at(0).toObject()["value"].toString(), c.text);
        // Control characters never appear raw in the output.
        for (char ch : json) {
            EXPECT_FALSE(static_cast<unsigned char>(ch) < 0x20 && ch != '\n') << json;
        }
    }
}

} // namespace
} // namespace vornak::cli
