// Recovery copies of definitions with unsaved changes, kept in the user's state folder
// ($XDG_STATE_HOME/vornak/recovery, or ~/.local/state/vornak/recovery; the folder 0700, its files
// 0600), so that what was typed survives a kill, a logout or a power cut. Each copy is a
// definition file written through the core's safe writer, beside a small description: the
// original path as bytes, whether the document was untitled, when the copy was made, since when
// the changes are unsaved, the editor's process and what the original file looked like on disk.
// The same descriptions tell an editor that another running editor holds a file with unsaved
// changes. No widgets and no questions here.
//
// Only what nobody else could have put there is read: the folder must pass RecoveryFolder's checks
// before it is listed or read, and each file in it must be a plain file of this user; anything
// else is left out of the list and named in the listing's `skipped`.
#pragma once

#include "CompactDefinition.h"
#include "DiskStamp.h"
#include "FileProblem.h"
#include "RecoveryFolder.h"
#include "ReportDefinition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornak {

struct RecoveryInfo {
    std::string originalPath; // the document's path as bytes; empty while untitled
    bool untitled = true;
    std::int64_t copiedAt = 0;      // seconds since the epoch: when the copy was written
    std::int64_t modifiedSince = 0; // seconds since the epoch: when the changes began
    ProcessIdentity editor;
    DiskStamp stamp; // the original as the editor last read or wrote it

    bool operator==(const RecoveryInfo&) const = default;
};

// What keeps a copy from being read, when its files themselves are this user's.
enum class CopyDamage : std::uint8_t {
    None,
    DescriptionMissing, // a copy without a description (its editor may have died writing it)
    DescriptionUnreadable,
    DescriptionDamaged,
    CopyMissing, // a description without its copy
};

// One copy found in the folder. A copy whose description or content cannot be read has `damage`
// set and is never removed unless asked to by name (or it is empty and nothing else says why).
struct RecoveryEntry {
    std::string id;
    std::string copyPath;
    std::string infoPath;
    std::optional<RecoveryInfo> info; // nothing when the description is missing or damaged
    CopyDamage damage = CopyDamage::None;
    std::string problem;        // empty when the description reads; English otherwise
    std::uint64_t copyBytes = 0; // the copy's size

    bool readable() const { return info.has_value() && problem.empty(); }
    // The editor that wrote it still runs (false for a damaged description).
    bool editorRunning() const { return info && info->editor.isRunning(); }
};

// What a look into the folder found.
struct RecoveryListing {
    RecoveryFault folder;                // the folder itself is not to be trusted (nothing listed)
    std::vector<RecoveryFault> skipped;  // files left out: links, pipes, other users' files, ...
    std::vector<RecoveryEntry> entries;  // oldest first
};

class RecoveryStore {
public:
    // The state folder for recovery copies, from the environment as the system gives it.
    static std::string defaultFolder();

    explicit RecoveryStore(std::string folder);

    const std::string& folder() const { return folderPath_; }
    // Creates the folder (and its parents) as 0700 where missing. A folder that exists but is a
    // link, belongs to someone else or is open to others is refused, as copies there could be read
    // or swapped by another user; false and `error` then say why.
    bool prepare(std::string& error) const;
    RecoveryFault prepare() const { return folder_.prepare(); }

    // A name for the copies of one document of this process, unique in the folder.
    std::string newId() const;

    // Writes the copy and then its description, each through the safe writer; a copy being
    // replaced stays whole until the new one is in place. False and `error` on any failure.
    bool write(const std::string& id, const ReportDefinition& definition, const RecoveryInfo& info,
               std::string& error) const;
    RecoveryFault write(const std::string& id, const ReportDefinition& definition, const RecoveryInfo& info) const;
    // The same from a compact copy of a definition (what a copy made away from the window holds).
    RecoveryFault write(const std::string& id, const CompactDefinition& definition, const RecoveryInfo& info) const;
    // Removes the description and then the copy; true when neither is left.
    bool remove(const std::string& id) const;

    // Every copy in the folder, oldest first, with the problem of each that cannot be read, and
    // what was left out as not this user's own.
    RecoveryListing scan() const;
    std::vector<RecoveryEntry> list() const { return scan().entries; }
    std::optional<RecoveryEntry> find(const std::string& id) const;
    // Copies whose editor no longer runs (damaged ones included, as nobody else will see to them).
    // An empty copy without a description is what an editor killed while making its first copy
    // leaves: nothing to recover, it is removed on the way.
    std::vector<RecoveryEntry> orphaned() const;
    // Orphaned copies of `path` (bytes as given, or the same file).
    std::vector<RecoveryEntry> orphanedOf(const std::string& path) const;
    // Readable copies of `path` (bytes as given, or the same file) held by other running editors.
    std::vector<RecoveryEntry> heldElsewhere(const std::string& path) const;

    // What a restored document takes as its file's last known state: the file as it is now when it
    // still matches what the copy noted (so that details the note does not carry are not taken
    // for a change), the noted state otherwise, so that Save asks before replacing the file. The
    // note is only an estimate: whoever restores asks before the first save replaces the file.
    static DiskStamp stampToRestore(const RecoveryInfo& info);

    // Reads a copy's content (only a plain file of this user in a trusted folder); false and
    // `error` when it does not read as a definition.
    static bool readCopy(const RecoveryEntry& entry, ReportDefinition& definition, LoadError& error);
    // Whether a titled copy holds just what its file holds now: a copy left behind by a save whose
    // removal failed, not unsaved work.
    static bool sameAsOriginal(const RecoveryInfo& info, const ReportDefinition& copy);

    // The description as text, and back (nothing when it is damaged).
    static std::string encodeInfo(const RecoveryInfo& info);
    static std::optional<RecoveryInfo> decodeInfo(const std::string& text);
    // The editor named in a copy's id ("<pid>-<start ticks>-<boot id start>-..."), for copies whose
    // description cannot be read.
    static ProcessIdentity editorOfId(const std::string& id);

private:
    std::string pathOf(const std::string& id, const char* extension) const;
    template <class Definition>
    RecoveryFault writeCopy(const std::string& id, const Definition& definition, const RecoveryInfo& info) const;

    std::string folderPath_;
    RecoveryFolder folder_;
};

} // namespace vornak
