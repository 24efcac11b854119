#include "DocumentTestSupport.h"

#include "EditText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace vornak::test {

TempFolder::TempFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() / ("vornak-document-" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::file(const std::string& name) const {
    return (path_ / name).string();
}

std::string cp1251(const QString& text) {
    return editedBytes("", text).value();
}

ReportDefinition sampleDefinition() {
    ReportDefinition d;
    d.title = cp1251(QStringLiteral("ОПРЕДЕЛЕНИЕ РОСТА"));
    d.documentFile = "PrintForm.doc";
    d.input1Caption = cp1251(QStringLiteral("Приложение № "));
    d.input2Caption = "in2";
    d.surnameCaption = "surname";
    d.author = "author";
    d.source = "source";
    d.organisation = "organisation";
    d.date = "07.12.2026";

    ParameterRecord list;
    list.name = cp1251(QStringLiteral("Пол"));
    list.kind = ValueKind::List;
    list.values = {{"M", "", "1"}, {"F", "x", "2"}, {"?", "", "#P(2)"}};
    ParameterRecord range;
    range.name = "Length";
    range.kind = ValueKind::Range;
    range.isNumber = 1;
    range.hasFormula = 1;
    range.formula = "#P(1)+#R(3)*2 + #N(2) + #P( (1+2)^2 )";
    range.values = {{"22.2", "23.7", cp1251(QStringLiteral("ВЖ"))}, {"23.7", "27.7", "N"}};
    ParameterRecord input;
    input.name = "Input";
    input.kind = ValueKind::Input;
    input.hasFormula = 1;
    input.formula = "#P(2)/#P(3)";
    input.values = {{"0", "", ""}};
    d.parameters = {list, range, input};
    d.results = {{"Height", "#P(1)+#P(2)+#P(3)"}, {"Twice", "#X(1)*2"}, {"Sum", "#X(2)+#X(1) #X(3)"}};
    return d;
}

void openDefinition(DefinitionDocument& document, const ReportDefinition& definition,
                    const std::string& path) {
    ASSERT_TRUE(definition.save(path)) << definition.saveError().reason;
    const OpenResult opened = document.open(path);
    ASSERT_TRUE(opened.ok) << opened.error.reason;
}

namespace {

QStringList testerFailures;
bool toleratesNumberColumn = false;
QtMessageHandler previousHandler = nullptr;

void collectFailures(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtDebugMsg || QString::fromUtf8(context.category) != QStringLiteral("qt.modeltest")) {
        return;
    }
    if (toleratesNumberColumn && (message.contains("(c.next)") || message.contains("(c.last)"))) {
        return;
    }
    testerFailures.append(message);
}

} // namespace

ModelTesterLog::ModelTesterLog(bool numberColumn) {
    testerFailures.clear();
    toleratesNumberColumn = numberColumn;
    previousHandler = qInstallMessageHandler(collectFailures);
}

ModelTesterLog::~ModelTesterLog() {
    qInstallMessageHandler(previousHandler);
}

QString ModelTesterLog::failures() const {
    return testerFailures.join('\n');
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace vornak::test
