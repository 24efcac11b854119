#include "CliTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace vornak::test {

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornak-cli-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a scratch folder");
    }
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string dataFile(const std::string& name) {
    return std::string(VORNAK_TEST_DATA) + "/" + name;
}

namespace {

bool isWordByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

std::vector<std::string> jsonKeysInOrder(const std::string& json) {
    std::vector<std::string> keys;
    for (std::size_t pos = json.find('"'); pos != std::string::npos; pos = json.find('"', pos + 1)) {
        std::size_t end = pos + 1;
        while (end < json.size() && isWordByte(json[end])) {
            ++end;
        }
        if (end > pos + 1 && json.compare(end, 3, "\": ") == 0) {
            keys.push_back(json.substr(pos + 1, end - pos - 1));
            pos = end + 1;
        }
    }
    return keys;
}

bool mentionsLineNumber(const std::string& text, const std::string& number) {
    const std::string needle = "line " + number;
    for (std::size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) {
        const std::size_t after = pos + needle.size();
        if ((pos == 0 || !isWordByte(text[pos - 1])) && (after == text.size() || !isWordByte(text[after]))) {
            return true;
        }
    }
    return false;
}

} // namespace vornak::test
