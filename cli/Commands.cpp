#include "Commands.h"

#include "CheckCommand.h"
#include "CompactDefinition.h"
#include "DefinitionComparison.h"
#include "DifferenceText.h"
#include "FileIdentity.h"
#include "JsonDump.h"
#include "ReportDefinition.h"
#include "VornakVersion.h"
#include "Windows1251.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>

namespace vornak::cli {

namespace {

constexpr std::string_view programName = "vornak-cli";

constexpr std::string_view usageText =
    "Usage: vornak-cli check [--json] [--strict] FILE...\n"
    "                                          read each definition file and report its findings\n"
    "       vornak-cli convert IN OUT          read IN (R1 or R2) and write it to OUT as R2\n"
    "       vornak-cli export-table IN OUT     read IN and write its tab-separated table to OUT\n"
    "       vornak-cli dump FILE               print the definition as JSON (texts in UTF-8)\n"
    "       vornak-cli diff [--json] OLD NEW   print what changed from OLD to NEW, one line each\n"
    "       vornak-cli --help, -h              show this text\n"
    "       vornak-cli --version               print the version\n"
    "\n"
    "check prints one line per file on standard output, \"FILE: ok (...)\" or \"FILE: error: ...\",\n"
    "followed by a \"FILE: warning: PLACE: ...\" line for each finding: codes naming a missing\n"
    "parameter or result, unknown value kinds, Input parameters with several value rows; formula and\n"
    "code syntax (parentheses, quotes, functions, codes, operands); range tables whose bounds are not\n"
    "numbers, empty, out of order, overlapping or with gaps; values of number parameters that are not\n"
    "numbers; empty names and formulas, a List value given twice, results whose #X codes go round in\n"
    "a circle. --json prints one JSON document instead; --strict exits with 3 on any finding.\n"
    "Exit status: 0 success, 1 a file could not be read or written, 2 wrong command line,\n"
    "3 check --strict found something.\n"
    "diff compares the definitions, not the bytes: the nine texts, parameters matched by name and\n"
    "place (inserted, removed, moved), their kind, flags, formula and value rows, and the results;\n"
    "codes that only follow a renumbering are no difference. --json prints a JSON array instead.\n"
    "diff exits with 0 when the definitions are the same, 1 when they differ, 2 on a wrong command\n"
    "line or a file that cannot be read.\n"
    "An argument \"--\" ends the options, so that later arguments starting with \"-\" are files.\n";

// "-x" and "--xyz" are options; "-" alone names a file.
bool isOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

int usageError(std::ostream& err, std::string_view problem) {
    err << programName << ": " << problem << " (see " << programName << " --help)\n";
    return exitUsage;
}

// True when `text` already names "line N" (and not "line N0" or the like).
bool mentionsLine(std::string_view text, int line) {
    const std::string needle = "line " + std::to_string(line);
    for (std::size_t pos = text.find(needle); pos != std::string_view::npos;
         pos = text.find(needle, pos + 1)) {
        const std::size_t after = pos + needle.size();
        if (after == text.size() || text[after] < '0' || text[after] > '9') {
            return true;
        }
    }
    return false;
}

} // namespace

// The reader's reason, led by the line number unless the reason names it already.
std::string describeLoadError(const LoadError& error) {
    // The reason may quote bytes of the file, which are Windows-1251.
    const std::string reason = windows1251ToUtf8(error.reason);
    if (error.line > 0 && !mentionsLine(reason, error.line)) {
        return "line " + std::to_string(error.line) + ": " + reason;
    }
    return reason;
}

namespace {

// The commands only read the definition through: it is held compactly, never as the editor's model.
std::optional<CompactDefinition> read(const std::string& path, std::ostream& err) {
    CompactDefinition definition;
    if (!definition.load(path)) {
        err << programName << ": cannot read " << path << ": " << describeLoadError(definition.loadError())
            << '\n';
        return std::nullopt;
    }
    return definition;
}

// convert and export-table: OUT is written only once IN has been read completely.
int rewrite(const std::string& in, const std::string& outPath, bool asTable, std::ostream& err) {
    // The table would take the definition's place: refused, by whatever name the output reaches it.
    // (A terminal or pipe may well be both ends.)
    if (asTable) {
        const std::optional<FileIdentity> input = identifyFile(in);
        const std::optional<FileIdentity> output = identifyFile(outPath);
        if (input && output && input->regular && input->sameFileAs(*output)) {
            err << programName << ": cannot write " << outPath << ": it is the input file\n";
            return exitFailed;
        }
    }
    const std::optional<CompactDefinition> definition = read(in, err);
    if (!definition) {
        return exitFailed;
    }
    const bool written = asTable ? definition->exportTable(outPath) : definition->save(outPath);
    if (!written) {
        err << programName << ": cannot write " << outPath << ": " << definition->saveError().reason << '\n';
        return exitFailed;
    }
    return exitOk;
}

int dump(const std::string& path, std::ostream& out, std::ostream& err) {
    const std::optional<CompactDefinition> definition = read(path, err);
    if (!definition) {
        return exitFailed;
    }
    writeDefinitionJson(*definition, out);
    return exitOk;
}

int diff(const std::string& oldPath, const std::string& newPath, bool json, std::ostream& out,
         std::ostream& err) {
    // The comparison walks both definitions as records: each is read compactly, then taken whole.
    const std::optional<CompactDefinition> before = read(oldPath, err);
    if (!before) {
        return exitUsage; // as diff does: trouble is 2, since 1 says "they differ"
    }
    const std::optional<CompactDefinition> after = read(newPath, err);
    if (!after) {
        return exitUsage;
    }
    const std::vector<Difference> differences = compareDefinitions(before->toDefinition(), after->toDefinition());
    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const Difference& difference : differences) {
            nlohmann::json item = nlohmann::json::object();
            item["kind"] = differenceKindName(difference.kind);
            item["part"] = differencePartName(difference.part);
            item["oldRecord"] = difference.oldRecord;
            item["newRecord"] = difference.newRecord;
            item["oldRow"] = difference.oldRow;
            item["newRow"] = difference.newRow;
            item["name"] = windows1251ToUtf8(difference.recordName);
            item["before"] = windows1251ToUtf8(difference.before);
            item["after"] = windows1251ToUtf8(difference.after);
            item["place"] = differencePlace(difference);
            item["message"] = describeDifference(difference);
            list.push_back(std::move(item));
        }
        out << list.dump(2) << '\n';
    } else {
        for (const Difference& difference : differences) {
            out << describeDifference(difference) << '\n';
        }
    }
    return differences.empty() ? exitOk : exitFailed;
}

struct Command {
    std::string_view name;
    std::size_t minFiles;
    std::size_t maxFiles;
    std::string_view shape; // for the usage hint
};

constexpr Command commands[] = {
    {"check", 1, SIZE_MAX, "check [--json] [--strict] FILE..."},
    {"convert", 2, 2, "convert IN OUT"},
    {"export-table", 2, 2, "export-table IN OUT"},
    {"dump", 1, 1, "dump FILE"},
    {"diff", 2, 2, "diff [--json] OLD NEW"},
};

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return usageError(err, "no command given");
    }
    const std::string& first = args[0];
    const bool help = first == "--help" || first == "-h";
    if (help || first == "--version") {
        // Alone, or the command line is wrong: nothing after them is read.
        if (args.size() > 1) {
            return usageError(err, "unexpected argument '" + args[1] + "'");
        }
        if (help) {
            out << usageText;
        } else {
            out << programName << ' ' << versionString << '\n';
        }
        return exitOk;
    }
    const Command* command = nullptr;
    for (const Command& candidate : commands) {
        if (first == candidate.name) {
            command = &candidate;
        }
    }
    if (command == nullptr) {
        if (isOption(first)) {
            return usageError(err, "unknown option '" + first + "'");
        }
        return usageError(err, "unknown command '" + first + "'");
    }

    std::vector<std::string> files;
    CheckOptions checkOptions;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            out << usageText;
            return exitOk;
        } else if (!optionsEnded && (command->name == "check" || command->name == "diff") && arg == "--json") {
            checkOptions.json = true;
        } else if (!optionsEnded && command->name == "check" && arg == "--strict") {
            checkOptions.strict = true;
        } else if (!optionsEnded && isOption(arg)) {
            return usageError(err, "unknown option '" + arg + "'");
        } else if (files.size() == command->maxFiles) {
            return usageError(err, "unexpected argument '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() < command->minFiles) {
        return usageError(err, "usage: " + std::string(programName) + " " + std::string(command->shape));
    }

    if (command->name == "check") {
        return checkFiles(files, checkOptions, out);
    }
    if (command->name == "convert" || command->name == "export-table") {
        return rewrite(files[0], files[1], command->name == "export-table", err);
    }
    if (command->name == "diff") {
        return diff(files[0], files[1], checkOptions.json, out, err);
    }
    return dump(files[0], out, err);
}

} // namespace vornak::cli
