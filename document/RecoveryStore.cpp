#include "RecoveryStore.h"

#include "AtomicFile.h"
#include "LineSource.h"

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <system_error>

namespace vornak {

namespace {

constexpr const char* copyExtension = ".rpt";
constexpr const char* infoExtension = ".info";
// A description is a few lines; anything far larger is not one.
constexpr std::size_t maxInfoBytes = 64 * 1024;
// Far beyond any definition the editor holds.
constexpr std::size_t maxCopyBytes = std::size_t{256} * 1024 * 1024;

bool validId(const std::string& id) {
    return !id.empty() && id.find('/') == std::string::npos && id.front() != '.';
}

bool endsWith(const std::string& name, const std::string& extension) {
    return name.size() > extension.size() &&
           name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

bool samePath(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

} // namespace

std::string RecoveryStore::defaultFolder() {
    return RecoveryFolder::stateFolder();
}

RecoveryStore::RecoveryStore(std::string folder) : folderPath_(std::move(folder)), folder_(folderPath_) {
    folderPath_ = folder_.path();
}

bool RecoveryStore::prepare(std::string& error) const {
    const RecoveryFault fault = folder_.prepare();
    error = fault.english();
    return !fault;
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
    return folderPath_ + "/" + id + extension;
}

bool RecoveryStore::write(const std::string& id, const ReportDefinition& definition, const RecoveryInfo& info,
                          std::string& error) const {
    const RecoveryFault fault = write(id, definition, info);
    error = fault.english();
    return !fault;
}

RecoveryFault RecoveryStore::write(const std::string& id, const ReportDefinition& definition,
                                   const RecoveryInfo& info) const {
    return writeCopy(id, definition, info);
}

RecoveryFault RecoveryStore::write(const std::string& id, const CompactDefinition& definition,
                                   const RecoveryInfo& info) const {
    return writeCopy(id, definition, info);
}

template <class Definition>
RecoveryFault RecoveryStore::writeCopy(const std::string& id, const Definition& definition,
                                       const RecoveryInfo& info) const {
    if (!validId(id)) {
        RecoveryFault fault;
        fault.kind = RecoveryFault::Kind::NotOwnFile;
        fault.path = pathOf(id, copyExtension);
        return fault;
    }
    if (RecoveryFault fault = folder_.prepare()) {
        return fault;
    }
    // Made private first: the safe writer gives a replacement the old file's mode.
    if (RecoveryFault fault = folder_.createPrivate(id + copyExtension)) {
        return fault;
    }
    const std::string copy = pathOf(id, copyExtension);
    if (!definition.save(copy)) {
        RecoveryFault fault;
        fault.kind = RecoveryFault::Kind::CannotWrite;
        fault.path = copy;
        fault.problem = definition.saveError().problem;
        return fault;
    }
    // The description goes last: while it is there, the copy beside it is whole.
    if (RecoveryFault fault = folder_.createPrivate(id + infoExtension)) {
        return fault;
    }
    const std::string description = pathOf(id, infoExtension);
    std::string reason;
    if (!replaceFileContents(description, encodeInfo(info), reason)) {
        RecoveryFault fault;
        fault.kind = RecoveryFault::Kind::CannotWrite;
        fault.path = description;
        fault.problem = FileProblem::WriteFailed;
        return fault;
    }
    return {};
}

bool RecoveryStore::remove(const std::string& id) const {
    if (!validId(id)) {
        return false;
    }
    const bool info = folder_.remove(id + infoExtension);
    const bool copy = folder_.remove(id + copyExtension);
    return info && copy;
}

RecoveryListing RecoveryStore::scan() const {
    RecoveryListing listing;
    std::vector<std::string> names;
    if (RecoveryFault fault = folder_.names(names)) {
        // No folder yet is no fault: nothing was ever kept.
        if (!(fault.kind == RecoveryFault::Kind::CannotExamine && fault.error == ENOENT)) {
            listing.folder = std::move(fault);
        }
        return listing;
    }
    std::set<std::string> ids;
    std::set<std::string> copies;
    std::set<std::string> infos;
    for (const std::string& name : names) {
        for (const auto& [extension, found] :
             {std::pair<std::string, std::set<std::string>*>{copyExtension, &copies}, {infoExtension, &infos}}) {
            if (endsWith(name, extension)) {
                const std::string id = name.substr(0, name.size() - extension.size());
                ids.insert(id);
                found->insert(id);
            }
        }
    }
    for (const std::string& id : ids) {
        RecoveryEntry entry;
        entry.id = id;
        entry.copyPath = pathOf(id, copyExtension);
        entry.infoPath = pathOf(id, infoExtension);
        bool trusted = true;
        if (copies.count(id) != 0) {
            if (RecoveryFault fault = folder_.inspect(id + copyExtension, entry.copyBytes)) {
                trusted = fault.kind != RecoveryFault::Kind::NotOwnFile;
                listing.skipped.push_back(std::move(fault));
            }
        }
        if (infos.count(id) != 0) {
            std::string text;
            if (RecoveryFault fault = folder_.read(id + infoExtension, maxInfoBytes, text)) {
                if (fault.kind == RecoveryFault::Kind::NotOwnFile) {
                    trusted = false;
                    listing.skipped.push_back(std::move(fault));
                } else {
                    entry.damage = CopyDamage::DescriptionUnreadable;
                    entry.problem = "its description cannot be read: " + fault.english();
                }
            } else if (!(entry.info = decodeInfo(text))) {
                entry.damage = CopyDamage::DescriptionDamaged;
                entry.problem = "its description is damaged";
            }
        } else {
            entry.damage = CopyDamage::DescriptionMissing;
            entry.problem = "its description is missing";
        }
        if (entry.problem.empty() && copies.count(id) == 0) {
            entry.damage = CopyDamage::CopyMissing;
            entry.problem = "the copy itself is missing";
        }
        if (trusted) {
            listing.entries.push_back(std::move(entry));
        }
    }
    std::stable_sort(listing.entries.begin(), listing.entries.end(),
                     [](const RecoveryEntry& a, const RecoveryEntry& b) {
                         const std::int64_t left = a.info ? a.info->copiedAt : 0;
                         const std::int64_t right = b.info ? b.info->copiedAt : 0;
                         return left < right;
                     });
    return listing;
}

std::optional<RecoveryEntry> RecoveryStore::find(const std::string& id) const {
    for (RecoveryEntry& entry : list()) {
        if (entry.id == id) {
            return std::move(entry);
        }
    }
    return std::nullopt;
}

std::vector<RecoveryEntry> RecoveryStore::orphaned() const {
    std::vector<RecoveryEntry> found;
    for (RecoveryEntry& entry : list()) {
        const ProcessIdentity editor = entry.info ? entry.info->editor : editorOfId(entry.id);
        // A running editor may be between writing a copy and its description: its own business.
        if (editor.isRunning()) {
            continue;
        }
        if (entry.damage == CopyDamage::DescriptionMissing && entry.copyBytes == 0) {
            remove(entry.id);
            continue;
        }
        found.push_back(std::move(entry));
    }
    return found;
}

std::vector<RecoveryEntry> RecoveryStore::orphanedOf(const std::string& path) const {
    std::vector<RecoveryEntry> found;
    if (path.empty()) {
        return found;
    }
    for (RecoveryEntry& entry : orphaned()) {
        if (entry.readable() && !entry.info->untitled && samePath(entry.info->originalPath, path)) {
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
        if (samePath(entry.info->originalPath, path)) {
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
    const std::size_t slash = entry.copyPath.rfind('/');
    const RecoveryFolder folder(entry.copyPath.substr(0, slash));
    std::string bytes;
    if (const RecoveryFault fault = folder.read(entry.copyPath.substr(slash + 1), maxCopyBytes, bytes)) {
        error = LoadError{};
        error.reason = fault.english();
        error.problem = fault.kind == RecoveryFault::Kind::TooLarge ? FileProblem::NotDefinition
                        : fault.kind == RecoveryFault::Kind::NotOwnFile ? FileProblem::AccessDenied
                                                                         : FileProblem::ReadFailed;
        return false;
    }
    LineSource source(LineSource::InMemory{bytes});
    ReportDefinition read;
    if (!read.load(source)) {
        error = read.loadError();
        return false;
    }
    definition = std::move(read);
    return true;
}

bool RecoveryStore::sameAsOriginal(const RecoveryInfo& info, const ReportDefinition& copy) {
    if (info.untitled || info.originalPath.empty()) {
        return false;
    }
    ReportDefinition original;
    return original.load(info.originalPath) && original == copy;
}

} // namespace vornak
