// Recovery copies of definitions with unsaved changes, kept in the user's state folder
// ($XDG_STATE_HOME/vornak/recovery, or ~/.local/state/vornak/recovery; the folder 0700, its files
// 0600), so that what was typed survives a kill, a logout or a power cut. Each copy is a
// definition file written through the core's safe writer, beside a small description: the
// original path as bytes, whether the document was untitled, when the copy was made, since when
// the changes are unsaved, the editor's process and what the original file looked like on disk.
// The same descriptions tell an editor that another running editor holds a file with unsaved
// changes. No widgets and no questions here.
#pragma once

#include "DiskStamp.h"
#include "FileProblem.h"
#include "ReportDefinition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornak {

// One running (or once running) process, told apart from a later process that got the same id:
// the kernel's boot id and the process's start time are compared too where the system has them.
struct ProcessIdentity {
    long long pid = 0;
    std::uint64_t startTicks = 0; // clock ticks after boot; 0 where unknown
    std::string bootId;           // empty where unknown

    // This process.
    static ProcessIdentity current();
    // Whether this process still runs: the same pid, the same boot and the same start time.
    // A process the system shows without a start time counts as running while its pid exists.
    bool isRunning() const;

    bool operator==(const ProcessIdentity&) const = default;
};

struct RecoveryInfo {
    std::string originalPath; // the document's path as bytes; empty while untitled
    bool untitled = true;
    std::int64_t copiedAt = 0;      // seconds since the epoch: when the copy was written
    std::int64_t modifiedSince = 0; // seconds since the epoch: when the changes began
    ProcessIdentity editor;
    DiskStamp stamp; // the original as the editor last read or wrote it

    bool operator==(const RecoveryInfo&) const = default;
};

// One copy found in the folder. A copy whose description or content cannot be read has
// `problem` set and is never removed unless asked to by name.
struct RecoveryEntry {
    std::string id;
    std::string copyPath;
    std::string infoPath;
    std::optional<RecoveryInfo> info; // nothing when the description is missing or damaged
    std::string problem;              // empty when the description reads; English otherwise

    bool readable() const { return info.has_value() && problem.empty(); }
    // The editor that wrote it still runs (false for a damaged description).
    bool editorRunning() const { return info && info->editor.isRunning(); }
};

class RecoveryStore {
public:
    // The state folder for recovery copies, from the environment as the system gives it.
    static std::string defaultFolder();

    explicit RecoveryStore(std::string folder);

    const std::string& folder() const { return folder_; }
    // Creates the folder (and its parents) as 0700 where missing. A folder that exists but is a
    // link, belongs to someone else or is open to others is refused, as copies there could be read
    // or swapped by another user; false and `error` then say why.
    bool prepare(std::string& error) const;

    // A name for the copies of one document of this process, unique in the folder.
    std::string newId() const;

    // Writes the copy and then its description, each through the safe writer; a copy being
    // replaced stays whole until the new one is in place. False and `error` on any failure.
    bool write(const std::string& id, const ReportDefinition& definition, const RecoveryInfo& info,
               std::string& error) const;
    // Removes the description and then the copy; true when neither is left.
    bool remove(const std::string& id) const;

    // Every copy in the folder, oldest first, with the problem of each that cannot be read.
    std::vector<RecoveryEntry> list() const;
    std::optional<RecoveryEntry> find(const std::string& id) const;
    // Copies whose editor no longer runs (damaged ones included, as nobody else will see to them).
    std::vector<RecoveryEntry> orphaned() const;
    // Readable copies of `path` (bytes as given, or the same file) held by other running editors.
    std::vector<RecoveryEntry> heldElsewhere(const std::string& path) const;

    // What a restored document takes as its file's last known state: the file as it is now when it
    // still matches what the copy noted (so that details the note does not carry are not taken
    // for a change), the noted state otherwise, so that Save asks before replacing the file.
    static DiskStamp stampToRestore(const RecoveryInfo& info);

    // Reads a copy's content; false and `error` when it does not read as a definition.
    static bool readCopy(const RecoveryEntry& entry, ReportDefinition& definition, LoadError& error);

    // The description as text, and back (nothing when it is damaged).
    static std::string encodeInfo(const RecoveryInfo& info);
    static std::optional<RecoveryInfo> decodeInfo(const std::string& text);

private:
    std::string pathOf(const std::string& id, const char* extension) const;

    std::string folder_;
};

} // namespace vornak
