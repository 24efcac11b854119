#include "RecoveryStore.h"

#include "AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace vornak {

namespace {

constexpr const char* infoMark = "vornak recovery 1";
constexpr const char* copyExtension = ".rpt";
constexpr const char* infoExtension = ".info";
// A description is a few lines; anything far larger is not one.
constexpr std::size_t maxInfoBytes = 64 * 1024;

std::string systemReason(int error) {
    return std::generic_category().message(error);
}

// The whole of a small file, or nothing when it cannot be read or is too large to be ours.
std::optional<std::string> readSmallFile(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = errno;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > maxInfoBytes) {
            error = EFBIG;
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return text;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

std::string currentBootId() {
    int error = 0;
    const std::optional<std::string> text = readSmallFile("/proc/sys/kernel/random/boot_id", error);
    return text ? trimmed(*text) : std::string();
}

struct ProcState {
    char state = '?';
    std::uint64_t startTicks = 0;
};

// Field 3 (state) and field 22 (start time) of /proc/<pid>/stat; the command name in field 2 may
// hold spaces and parentheses, so counting starts after its last ")".
std::optional<ProcState> procState(const std::string& pid) {
    int error = 0;
    const std::optional<std::string> text = readSmallFile("/proc/" + pid + "/stat", error);
    if (!text) {
        return std::nullopt;
    }
    const std::size_t close = text->rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text->substr(close + 1));
    ProcState result;
    fields >> result.state;
    std::string field;
    // Fields 4 to 21, then 22.
    for (int i = 4; i <= 21 && (fields >> field); ++i) {
    }
    if (!(fields >> result.startTicks)) {
        result.startTicks = 0;
    }
    return result;
}

bool procMounted() {
    struct stat info {};
    return ::stat("/proc/self/stat", &info) == 0;
}

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

// Makes a file that does not exist yet, readable and writable by its owner only, so that the safe
// writer, which gives a replacement the old file's mode, keeps the copy private from the start.
bool createPrivate(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    if (errno == EEXIST) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            error = "the recovery file " + path + " is not a plain file of this user";
            return false;
        }
        if ((info.st_mode & 077) != 0 && ::chmod(path.c_str(), 0600) != 0) {
            error = "the recovery file " + path + " cannot be made private: " + systemReason(errno);
            return false;
        }
        return true;
    }
    error = "the recovery file " + path + " cannot be created: " + systemReason(errno);
    return false;
}

bool makeFolder(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        return true;
    }
    error = "the folder " + path + " cannot be created: " + systemReason(errno);
    return false;
}

// A folder the copies may go into: a real folder (no link) of this user that nobody else may
// write to; one open to others for reading is made private.
bool checkOwnFolder(const std::string& path, std::string& error) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        error = "the folder " + path + " cannot be examined: " + systemReason(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        error = "the folder " + path + " is not a folder of this user";
        return false;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
        error = "the folder " + path + " cannot be made private: " + systemReason(errno);
        return false;
    }
    return true;
}

} // namespace

// --- ProcessIdentity -----------------------------------------------------------------------------

ProcessIdentity ProcessIdentity::current() {
    ProcessIdentity self;
    self.pid = static_cast<long long>(::getpid());
    if (const std::optional<ProcState> state = procState("self")) {
        self.startTicks = state->startTicks;
    }
    self.bootId = currentBootId();
    return self;
}

bool ProcessIdentity::isRunning() const {
    if (pid <= 0) {
        return false;
    }
    if (!bootId.empty()) {
        const std::string now = currentBootId();
        // A copy from before the last start of the system: its editor is gone whatever runs now.
        if (!now.empty() && now.rfind(bootId, 0) != 0) {
            return false;
        }
    }
    if (const std::optional<ProcState> state = procState(std::to_string(pid))) {
        if (state->state == 'Z' || state->state == 'X') {
            return false; // ended, only not yet reaped
        }
        return startTicks == 0 || state->startTicks == 0 || state->startTicks == startTicks;
    }
    if (procMounted()) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// --- RecoveryStore -------------------------------------------------------------------------------

std::string RecoveryStore::defaultFolder() {
    std::string base;
    const char* state = std::getenv("XDG_STATE_HOME");
    // A relative value is not valid and is ignored.
    if (state != nullptr && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        std::string homeFolder = home != nullptr && home[0] == '/' ? home : "";
        if (homeFolder.empty()) {
            if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
                homeFolder = user->pw_dir;
            }
        }
        while (homeFolder.size() > 1 && homeFolder.back() == '/') {
            homeFolder.pop_back();
        }
        base = homeFolder + "/.local/state";
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return base + "/vornak/recovery";
}

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)) {
    while (folder_.size() > 1 && folder_.back() == '/') {
        folder_.pop_back();
    }
}

bool RecoveryStore::prepare(std::string& error) const {
    if (folder_.empty() || folder_.front() != '/') {
        error = "the recovery folder \"" + folder_ + "\" is not a full path";
        return false;
    }
    // Every missing folder on the way is made private; existing ones are left as they are.
    for (std::size_t slash = folder_.find('/', 1); slash != std::string::npos;
         slash = folder_.find('/', slash + 1)) {
        if (!makeFolder(folder_.substr(0, slash), error)) {
            return false;
        }
    }
    if (!makeFolder(folder_, error)) {
        return false;
    }
    const std::size_t parent = folder_.rfind('/');
    if (parent > 0) {
        struct stat info {};
        const std::string parentPath = folder_.substr(0, parent);
        if (::stat(parentPath.c_str(), &info) == 0 && (info.st_mode & 022) != 0 &&
            (info.st_mode & S_ISVTX) == 0 && info.st_uid == ::geteuid()) {
            // Others could rename the folder away and put their own in its place.
            if (::chmod(parentPath.c_str(), info.st_mode & 0755 & ~022) != 0) {
                error = "the folder " + parentPath + " is open to others: " + systemReason(errno);
                return false;
            }
        }
    }
    return checkOwnFolder(folder_, error);
}

std::string RecoveryStore::newId() const {
    static std::atomic<unsigned> sequence{0};
    const ProcessIdentity self = ProcessIdentity::current();
    std::random_device device;
    char tail[16];
    std::snprintf(tail, sizeof tail, "%04x", device() & 0xFFFFu);
    return std::to_string(self.pid) + "-" + std::to_string(self.startTicks) + "-" + self.bootId.substr(0, 8) +
           "-" + std::to_string(++sequence) + "-" + tail;
}

std::string RecoveryStore::pathOf(const std::string& id, const char* extension) const {
    return folder_ + "/" + id + extension;
}

bool RecoveryStore::write(const std::string& id, const ReportDefinition& definition, const RecoveryInfo& info,
                          std::string& error) const {
    if (id.empty() || id.find('/') != std::string::npos || id.front() == '.') {
        error = "bad recovery name";
        return false;
    }
    if (!prepare(error)) {
        return false;
    }
    const std::string copy = pathOf(id, copyExtension);
    const std::string description = pathOf(id, infoExtension);
    if (!createPrivate(copy, error)) {
        return false;
    }
    if (!definition.save(copy)) {
        error = "the recovery copy " + copy + " cannot be written: " + definition.saveError().reason;
        return false;
    }
    // The description goes last: while it is there, the copy beside it is whole.
    if (!createPrivate(description, error)) {
        return false;
    }
    std::string reason;
    if (!replaceFileContents(description, encodeInfo(info), reason)) {
        error = "the recovery description " + description + " cannot be written: " + reason;
        return false;
    }
    return true;
}

bool RecoveryStore::remove(const std::string& id) const {
    if (id.empty() || id.find('/') != std::string::npos || id.front() == '.') {
        return false;
    }
    bool ok = true;
    for (const char* extension : {infoExtension, copyExtension}) {
        const std::string path = pathOf(id, extension);
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            ok = false;
        }
    }
    return ok;
}

std::vector<RecoveryEntry> RecoveryStore::list() const {
    std::vector<RecoveryEntry> entries;
    DIR* folder = ::opendir(folder_.c_str());
    if (folder == nullptr) {
        return entries;
    }
    std::set<std::string> ids;
    std::set<std::string> copies;
    std::set<std::string> infos;
    while (const dirent* item = ::readdir(folder)) {
        const std::string name = item->d_name;
        // Hidden names are the safe writer's temporary files (and "." and "..").
        if (name.empty() || name.front() == '.') {
            continue;
        }
        for (const auto& [extension, found] :
             {std::pair<std::string, std::set<std::string>*>{copyExtension, &copies},
              {infoExtension, &infos}}) {
            if (name.size() > extension.size() &&
                name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
                const std::string id = name.substr(0, name.size() - extension.size());
                ids.insert(id);
                found->insert(id);
            }
        }
    }
    ::closedir(folder);

    for (const std::string& id : ids) {
        RecoveryEntry entry;
        entry.id = id;
        entry.copyPath = pathOf(id, copyExtension);
        entry.infoPath = pathOf(id, infoExtension);
        if (infos.count(id) != 0) {
            int error = 0;
            const std::optional<std::string> text = readSmallFile(entry.infoPath, error);
            if (!text) {
                entry.problem = "its description cannot be read: " + systemReason(error);
            } else if (!(entry.info = decodeInfo(*text))) {
                entry.problem = "its description is damaged";
            }
        } else {
            entry.problem = "its description is missing";
        }
        if (entry.problem.empty() && copies.count(id) == 0) {
            entry.problem = "the copy itself is missing";
        }
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const RecoveryEntry& a, const RecoveryEntry& b) {
        const std::int64_t left = a.info ? a.info->copiedAt : 0;
        const std::int64_t right = b.info ? b.info->copiedAt : 0;
        return left < right;
    });
    return entries;
}

std::optional<RecoveryEntry> RecoveryStore::find(const std::string& id) const {
    for (RecoveryEntry& entry : list()) {
        if (entry.id == id) {
            return std::move(entry);
        }
    }
    return std::nullopt;
}

namespace {

// The editor named in a copy's own name ("<pid>-<start ticks>-<boot id start>-..."), for copies
// whose description cannot be read.
ProcessIdentity editorOfName(const std::string& id) {
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

} // namespace

std::vector<RecoveryEntry> RecoveryStore::orphaned() const {
    std::vector<RecoveryEntry> found;
    for (RecoveryEntry& entry : list()) {
        const ProcessIdentity editor = entry.info ? entry.info->editor : editorOfName(entry.id);
        // A running editor may be between writing a copy and its description: its own business.
        if (!editor.isRunning()) {
            found.push_back(std::move(entry));
        }
    }
    return found;
}

std::vector<RecoveryEntry> RecoveryStore::heldElsewhere(const std::string& path) const {
    std::vector<RecoveryEntry> found;
    if (path.empty()) {
        return found;
    }
    const ProcessIdentity self = ProcessIdentity::current();
    for (RecoveryEntry& entry : list()) {
        if (!entry.readable() || entry.info->untitled || entry.info->editor.pid == self.pid ||
            !entry.info->editor.isRunning()) {
            continue;
        }
        std::error_code error;
        const bool same = entry.info->originalPath == path ||
                          std::filesystem::equivalent(entry.info->originalPath, path, error);
        if (same) {
            found.push_back(std::move(entry));
        }
    }
    return found;
}

DiskStamp RecoveryStore::stampToRestore(const RecoveryInfo& info) {
    if (info.untitled || !info.stamp.taken) {
        return info.stamp;
    }
    const DiskStamp now = DiskStamp::of(info.originalPath);
    const DiskStamp& noted = info.stamp;
    // A note without the file's identity (written before it was kept) is judged by the rest.
    const bool unchanged = now.exists == noted.exists && now.type == noted.type && now.size == noted.size &&
                           now.modified == noted.modified &&
                           (noted.identity == FileIdentity{} || now.identity == noted.identity);
    return unchanged ? now : noted;
}

bool RecoveryStore::readCopy(const RecoveryEntry& entry, ReportDefinition& definition, LoadError& error) {
    ReportDefinition read;
    if (!read.load(entry.copyPath)) {
        error = read.loadError();
        return false;
    }
    definition = std::move(read);
    return true;
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
