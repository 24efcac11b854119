// The manual page of vornak-cli against the program itself: every command and option its usage
// names, every exit status it can end with and every kind of finding its check reports must be
// in the page, so that the page cannot fall behind the program.
#include "Commands.h"
#include "DefinitionChecks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

// The page's text with the escapes a reader never sees undone: "\-" is "-", "\(dq" is '"'.
std::string pageText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string text = bytes.str();
    for (const auto& [from, to] :
         {std::pair<std::string, std::string>{"\\-", "-"}, {"\\(dq", "\""}, {"\\&", ""}}) {
        for (std::size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

// Whether `word` stands in `text` as a word of its own (not as part of a longer option or kind).
bool namesWord(const std::string& text, const std::string& word) {
    const auto wordChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-'; };
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool startsWord = at == 0 || !wordChar(text[at - 1]);
        const std::size_t end = at + word.size();
        if (startsWord && (end == text.size() || !wordChar(text[end]))) {
            return true;
        }
    }
    return false;
}

// The section of the page that starts with ".SH NAME" and runs to the next section.
std::string section(const std::string& page, const std::string& name) {
    const std::size_t start = page.find(".SH " + name + "\n");
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t end = page.find("\n.SH ", start + 1);
    return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string usage() {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(vornak::cli::run({"--help"}, out, err), vornak::cli::exitOk);
    return out.str();
}

const std::string page = pageText(VORNAK_MANUAL_DIR "/vornak-cli.1.in");

TEST(VornakCliManualPage, NamesEveryCommandAndOptionOfTheUsage) {
    ASSERT_FALSE(page.empty()) << "the manual page was not found";
    std::set<std::string> words;
    const std::string text = usage();
    // Commands: the word after the program's name on each usage line.
    const std::regex command(R"(vornak-cli ([a-z][a-z-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), command); it != std::sregex_iterator();
         ++it) {
        words.insert((*it)[1]);
    }
    // Options: every "-x" and "--word" the usage names.
    const std::regex option(R"((^|[\s\[("])(--?[a-z][a-z-]*))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option); it != std::sregex_iterator();
         ++it) {
        words.insert((*it)[2]);
    }
    for (const char* expected :
         {"check", "convert", "export-table", "dump", "--json", "--strict", "--help", "-h", "--version"}) {
        EXPECT_EQ(words.count(expected), 1u) << "the usage no longer names " << expected;
    }
    const std::string options = section(page, "OPTIONS");
    const std::string commands = section(page, "COMMANDS");
    for (const std::string& word : words) {
        if (word.starts_with("-")) {
            EXPECT_TRUE(namesWord(options, word)) << "OPTIONS does not name " << word;
        } else {
            EXPECT_TRUE(namesWord(commands, word)) << "COMMANDS does not name " << word;
        }
    }
}

TEST(VornakCliManualPage, NamesEveryExitStatusAndEveryKindOfFinding) {
    const std::string statuses = section(page, "EXIT STATUS");
    for (const int status :
         {vornak::cli::exitOk, vornak::cli::exitFailed, vornak::cli::exitUsage, vornak::cli::exitFindings}) {
        EXPECT_THAT(statuses, ::testing::HasSubstr(".B " + std::to_string(status) + "\n"))
            << "EXIT STATUS does not name " << status;
        EXPECT_TRUE(namesWord(usage(), std::to_string(status)))
            << "the usage does not name status " << status;
    }
    const std::string findings = section(page, "FINDINGS");
    using vornak::FindingKind;
    // Every value the kind can take: a kind added anywhere has a name, and the page must know it.
    int named = 0;
    for (int k = 0; k <= 255; ++k) {
        const std::string name(vornak::findingKindName(static_cast<FindingKind>(k)));
        if (name != "unknown") {
            ++named;
            EXPECT_TRUE(namesWord(findings, name)) << "FINDINGS does not name " << name;
        }
    }
    EXPECT_GE(named, 25);
}

} // namespace
