#include "JsonDump.h"

#include "DefinitionAccess.h"
#include "Windows1251.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <initializer_list>
#include <ostream>
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

// Builds the JSON text; with an output stream, hands it on in pieces as it grows, so that a large
// definition's JSON is never held whole.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream* out = nullptr) : out_(out) {}

    std::string take() { return std::move(text_); }
    void flushIfLarge() {
        if (out_ != nullptr && text_.size() >= 64 * 1024) {
            out_->write(text_.data(), static_cast<std::streamsize>(text_.size()));
            text_.clear();
        }
    }

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

    std::ostream* out_;
    std::string text_;
    int depth_ = 0;
    bool firstInContainer_ = true;
    bool afterKey_ = false;
};

void writeTexts(JsonWriter& json,
                std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
    for (const auto& [name, value] : fields) {
        json.key(name);
        json.string(value);
    }
}

template <typename Parameter> void writeParameter(JsonWriter& json, const Parameter& parameter) {
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
    for (std::size_t v = 0; v < parameter.values.size(); ++v) {
        const auto& row = parameter.values[v];
        json.beginObject();
        writeTexts(json, {{"value", row.value}, {"upperBound", row.upperBound}, {"result", row.result}});
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

template <typename D> void writeDefinition(JsonWriter& json, const D& definition) {
    json.beginObject();
    json.key("parameters");
    json.beginArray();
    for (std::size_t p = 0; p < definition.parameterCount(); ++p) {
        writeParameter(json, definition.parameter(p));
        json.flushIfLarge();
    }
    json.endArray();
    json.key("results");
    json.beginArray();
    for (std::size_t r = 0; r < definition.resultCount(); ++r) {
        const auto& row = definition.result(r);
        json.beginObject();
        writeTexts(json, {{"name", row.name}, {"result", row.result}});
        json.endObject();
        json.flushIfLarge();
    }
    json.endArray();
    for (std::size_t i = 0; i < reportTextNames.size(); ++i) {
        json.key(reportTextNames[i]);
        json.string(definition.reportText(i));
    }
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
    writeDefinition(json, DefinitionAccess(definition));
    std::string text = json.take();
    text += '\n';
    return text;
}

void writeDefinitionJson(const CompactDefinition& definition, std::ostream& out) {
    JsonWriter json(&out);
    writeDefinition(json, definition);
    std::string text = json.take();
    text += '\n';
    out << text;
}

} // namespace vornak::cli
