// The description of a recovery copy as text and back: one "key value" line each, the path and
// the boot id as hexadecimal bytes, keys a later version adds skipped.
#include "RecoveryStore.h"

#include <charconv>
#include <filesystem>
#include <set>
#include <sstream>

namespace vornak {

namespace {

constexpr const char* infoMark = "vornak recovery 1";

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 0x0F];
    }
    return out;
}

std::optional<std::string> unhex(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

template <class Number> std::optional<Number> number(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

ProcessIdentity RecoveryStore::editorOfId(const std::string& id) {
    ProcessIdentity editor;
    std::vector<std::string> parts;
    std::string part;
    std::istringstream split(id);
    while (std::getline(split, part, '-')) {
        parts.push_back(part);
    }
    if (parts.size() >= 3) {
        editor.pid = number<long long>(parts[0]).value_or(0);
        editor.startTicks = number<std::uint64_t>(parts[1]).value_or(0);
        editor.bootId = parts[2];
    }
    return editor;
}

std::string RecoveryStore::encodeInfo(const RecoveryInfo& info) {
    std::ostringstream out;
    out << infoMark << '\n';
    out << "path " << hex(info.originalPath) << '\n';
    out << "untitled " << (info.untitled ? 1 : 0) << '\n';
    out << "copied " << info.copiedAt << '\n';
    out << "since " << info.modifiedSince << '\n';
    out << "pid " << info.editor.pid << '\n';
    out << "start " << info.editor.startTicks << '\n';
    out << "boot " << hex(info.editor.bootId) << '\n';
    out << "stamp " << (info.stamp.taken ? 1 : 0) << ' ' << (info.stamp.exists ? 1 : 0) << ' '
        << static_cast<int>(info.stamp.type) << ' ' << info.stamp.size << ' '
        << info.stamp.modified.time_since_epoch().count() << '\n';
    const FileIdentity& identity = info.stamp.identity;
    out << "identity " << identity.device << ' ' << identity.inode << ' ' << identity.changedSeconds << ' '
        << identity.changedNanoseconds << ' ' << (identity.regular ? 1 : 0) << '\n';
    return out.str();
}

std::optional<RecoveryInfo> RecoveryStore::decodeInfo(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != infoMark) {
        return std::nullopt;
    }
    RecoveryInfo info;
    std::set<std::string> seen;
    while (std::getline(in, line)) {
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
        bool ok = true;
        if (key == "path") {
            const std::optional<std::string> bytes = unhex(value);
            ok = bytes.has_value();
            info.originalPath = bytes.value_or(std::string());
        } else if (key == "untitled") {
            ok = value == "0" || value == "1";
            info.untitled = value == "1";
        } else if (key == "copied" || key == "since") {
            const std::optional<std::int64_t> seconds = number<std::int64_t>(value);
            ok = seconds.has_value();
            (key == "copied" ? info.copiedAt : info.modifiedSince) = seconds.value_or(0);
        } else if (key == "pid") {
            const std::optional<long long> pid = number<long long>(value);
            ok = pid.has_value() && *pid > 0;
            info.editor.pid = pid.value_or(0);
        } else if (key == "start") {
            const std::optional<std::uint64_t> ticks = number<std::uint64_t>(value);
            ok = ticks.has_value();
            info.editor.startTicks = ticks.value_or(0);
        } else if (key == "boot") {
            const std::optional<std::string> boot = unhex(value);
            ok = boot.has_value();
            info.editor.bootId = boot.value_or(std::string());
        } else if (key == "stamp") {
            std::istringstream fields(value);
            int taken = 0;
            int exists = 0;
            int type = 0;
            std::uintmax_t size = 0;
            long long ticks = 0;
            ok = static_cast<bool>(fields >> taken >> exists >> type >> size >> ticks);
            info.stamp.taken = taken != 0;
            info.stamp.exists = exists != 0;
            info.stamp.type = static_cast<std::filesystem::file_type>(type);
            info.stamp.size = size;
            info.stamp.modified =
                std::filesystem::file_time_type(std::filesystem::file_time_type::duration(ticks));
        } else if (key == "identity") {
            std::istringstream fields(value);
            FileIdentity& identity = info.stamp.identity;
            int regular = 0;
            ok = static_cast<bool>(fields >> identity.device >> identity.inode >> identity.changedSeconds >>
                                   identity.changedNanoseconds >> regular);
            identity.regular = regular != 0;
        } else {
            continue; // written by a later version: not needed here
        }
        if (!ok) {
            return std::nullopt;
        }
        seen.insert(key);
    }
    for (const char* required : {"path", "untitled", "copied", "pid"}) {
        if (seen.count(required) == 0) {
            return std::nullopt;
        }
    }
    // A titled copy must say where it belongs.
    if (!info.untitled && info.originalPath.empty()) {
        return std::nullopt;
    }
    return info;
}

} // namespace vornak
