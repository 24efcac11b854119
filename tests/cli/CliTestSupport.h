// Helpers for the command-line tool's tests: a scratch folder and whole-file reads and writes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vornak::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` (UTF-8 on Windows, bytes elsewhere) as the tool takes it.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A path given as the tool takes it (UTF-8 on Windows), and back.
std::filesystem::path pathOf(const std::string& path);
std::string pathText(const std::filesystem::path& path);

std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
std::string dataFile(const std::string& name);

// Every object key ("name": ) in a JSON text, in order of appearance.
std::vector<std::string> jsonKeysInOrder(const std::string& json);
// True when the text holds "line N" as words of their own.
bool mentionsLineNumber(const std::string& text, const std::string& number);

} // namespace vornak::test
