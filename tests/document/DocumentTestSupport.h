// What the document tests share: a temporary folder, definitions with codes in their texts,
// and opening a definition as a document.
#pragma once

#include "DefinitionDocument.h"

#include <filesystem>
#include <string>

namespace vornak::test {

// A fresh folder, removed with its contents when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of a file in the folder, as bytes.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// The bytes of a text given in UTF-8 (the tests' source encoding), as the model holds them.
std::string cp1251(const QString& text);

// Three parameters (List, Range, Input) and three results, whose formulas and results refer to
// each other by code; the nine texts set.
ReportDefinition sampleDefinition();

// Writes the definition to `path` and opens it in the document; fails the test when either fails.
void openDefinition(DefinitionDocument& document, const ReportDefinition& definition,
                    const std::string& path);

// Collects what Qt's model tester (in its Warning mode) reports while it lives. The tester expects
// the row after inserted or removed rows to keep its column-0 text; a computed number column
// changes it by design, so with `numberColumn` those two checks are let through.
class ModelTesterLog {
public:
    explicit ModelTesterLog(bool numberColumn);
    ~ModelTesterLog();
    ModelTesterLog(const ModelTesterLog&) = delete;
    ModelTesterLog& operator=(const ModelTesterLog&) = delete;

    QString failures() const;
};

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);

} // namespace vornak::test
