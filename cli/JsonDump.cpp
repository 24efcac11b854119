#include "JsonDump.h"

#include "Windows1251.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace vornak::cli {

namespace {

// Objects are written here by hand to keep the model's field order; the JSON library escapes
// each string.
std::string jsonString(std::string_view windows1251) {
    return jsonText(nlohmann::json(windows1251ToUtf8(windows1251)));
}

void appendIndent(std::string& out, int depth) {
    out.append(static_cast<std::size_t>(depth) * 4, ' ');
}

void appendIndented(std::string& out, const nlohmann::json& value, int depth) {
    if (!value.is_object() && !value.is_array()) {
        out += jsonText(value);
        return;
    }
    const bool object = value.is_object();
    out += object ? "{\n" : "[\n";
    bool first = true;
    for (auto item = value.begin(); item != value.end(); ++item) {
        if (!first) {
            out += ",\n";
        }
        first = false;
        appendIndent(out, depth + 1);
        if (object) {
            out += jsonText(nlohmann::json(item.key()));
            out += ": ";
        }
        appendIndented(out, item.value(), depth + 1);
    }
    if (!first) {
        out += '\n';
    }
    appendIndent(out, depth);
    out += object ? '}' : ']';
}

class JsonWriter {
public:
    std::string take() { return std::move(text_); }

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    void key(std::string_view name) {
        separate();
        text_ += '"';
        text_ += name;
        text_ += "\": ";
        afterKey_ = true;
    }
    void string(std::string_view windows1251) { scalar(jsonString(windows1251)); }
    void number(unsigned value) { scalar(std::to_string(value)); }

private:
    void separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (!firstInContainer_) {
            text_ += ',';
        }
        if (depth_ > 0) {
            text_ += '\n';
            indent();
        }
        firstInContainer_ = false;
    }
    void scalar(const std::string& value) {
        separate();
        text_ += value;
    }
    void open(char bracket) {
        separate();
        text_ += bracket;
        ++depth_;
        firstInContainer_ = true;
    }
    void close(char bracket) {
        --depth_;
        if (!firstInContainer_) {
            text_ += '\n';
            indent();
        }
        text_ += bracket;
        firstInContainer_ = false;
    }
    void indent() { text_.append(static_cast<std::size_t>(depth_) * 4, ' '); }

    std::string text_;
    int depth_ = 0;
    bool firstInContainer_ = true;
    bool afterKey_ = false;
};

void writeTexts(JsonWriter& json,
                std::initializer_list<std::pair<std::string_view, const std::string&>> fields) {
    for (const auto& [name, value] : fields) {
        json.key(name);
        json.string(value);
    }
}

void writeParameter(JsonWriter& json, const ParameterRecord& parameter) {
    json.beginObject();
    writeTexts(json, {{"name", parameter.name}, {"formula", parameter.formula}});
    json.key("kind");
    json.number(static_cast<unsigned>(parameter.kind));
    json.key("isNumber");
    json.number(parameter.isNumber);
    json.key("hasFormula");
    json.number(parameter.hasFormula);
    json.key("values");
    json.beginArray();
    for (const ValueRow& row : parameter.values) {
        json.beginObject();
        writeTexts(json, {{"value", row.value}, {"upperBound", row.upperBound}, {"result", row.result}});
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

} // namespace

std::string jsonText(const nlohmann::json& value) {
    // Text that is not UTF-8 (a file name given as other bytes) shows U+FFFD for each bad byte
    // instead of ending the program.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string indentedJson(const nlohmann::json& value) {
    std::string out;
    appendIndented(out, value, 0);
    out += '\n';
    return out;
}

std::string definitionToJson(const ReportDefinition& definition) {
    JsonWriter json;
    json.beginObject();
    json.key("parameters");
    json.beginArray();
    for (const ParameterRecord& parameter : definition.parameters) {
        writeParameter(json, parameter);
    }
    json.endArray();
    json.key("results");
    json.beginArray();
    for (const ResultRow& row : definition.results) {
        json.beginObject();
        writeTexts(json, {{"name", row.name}, {"result", row.result}});
        json.endObject();
    }
    json.endArray();
    writeTexts(json, {{"title", definition.title},
                      {"documentFile", definition.documentFile},
                      {"input1Caption", definition.input1Caption},
                      {"input2Caption", definition.input2Caption},
                      {"surnameCaption", definition.surnameCaption},
                      {"author", definition.author},
                      {"source", definition.source},
                      {"organisation", definition.organisation},
                      {"date", definition.date}});
    json.endObject();
    std::string text = json.take();
    text += '\n';
    return text;
}

} // namespace vornak::cli
