// Helpers shared by the core tests: a scratch folder per test, whole-file reads and writes, and
// the example definitions the golden files hold.
#pragma once

#include "ReportDefinition.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vornak::test {

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);
std::string golden(const std::string& name);
// Joins lines with CR LF after each, the way the writer ends them.
std::string crlfLines(const std::vector<std::string>& lines);
std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder);

// Windows-1251 bytes of a few texts the tests use.
std::string cp1251(const char* utf8);

ReportDefinition exampleDefinition();
ReportDefinition mixedDefinition();
void setDefaultTexts(ReportDefinition& d);

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace vornak::test

#ifndef _WIN32
namespace vornak::test {

// What a child process reported: its exit status and what it wrote to the result pipe.
struct ChildResult {
    bool exited = false; // false: ended by a signal
    int code = 0;        // exit code, or the signal that ended it
    std::string output;
};

// Runs `work` in a forked child and returns what it wrote through `report`. With `unprivileged`,
// a root test process first becomes the user nobody (group nogroup, no supplementary groups); a
// process that is not root already is unprivileged. `skipReason` is set when that is impossible.
ChildResult runInChild(const std::function<void(std::string& report)>& work, bool unprivileged,
                       std::string* skipReason = nullptr);

// The ids of the user nobody and the group nogroup (or nobody's own group); false when missing.
bool nobodyIds(unsigned& uid, unsigned& gid);

} // namespace vornak::test
#endif
