#include "CliTestSupport.h"

#include "Utf16.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace vornak::test {

std::filesystem::path pathOf(const std::string& path) {
#ifdef _WIN32
    const std::u16string wide = utf8ToUtf16(path);
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
    return std::filesystem::path(path);
#endif
}

std::string pathText(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    return utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
#else
    return path.string();
#endif
}

ScratchDir::ScratchDir() {
    static std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("vornak-cli-test-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder");
}

std::string ScratchDir::file(const std::string& name) const {
    return pathText(path_ / pathOf(name));
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readBytes(const std::string& path) {
    std::ifstream in(pathOf(path), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(pathOf(path), std::ios::binary | std::ios::trunc);
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
