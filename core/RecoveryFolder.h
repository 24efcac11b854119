// The system side of the recovery copies' folder: where it lies, making it, and deciding whether it
// and each file in it can be trusted. A copy is restored over the user's own files, so only what
// nobody else could have put there counts: a real folder (no link) of this user that nobody else
// may write to, in a parent that nobody else can swap it out of, and in it plain files of this
// user with one name each, opened without following links and without waiting on a pipe.
// One implementation per system (PosixRecoveryFolder.cpp, WindowsRecoveryFolder.cpp).
#pragma once

#include "FileProblem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornak {

// Why the folder or one of its files is not used. `error` is the system's error number (errno
// values) where the system said why, 0 otherwise.
struct RecoveryFault {
    enum class Kind : std::uint8_t {
        None,
        NotFullPath,   // the folder's name is not a full path
        CannotCreate,  // the folder (or one on its way) could not be made
        CannotExamine, // the folder could not be looked at
        NotOwnFolder,  // a link, not a folder, or someone else's folder
        OpenToOthers,  // others may write into the folder
        ParentOpen,    // others could move the folder away and put theirs in its place
        NotOwnFile,    // an entry that is no plain file of this user, or has several names
        CannotOpen,    // an entry (or a file to write) could not be opened or made
        CannotRead,    // reading an entry failed
        TooLarge,      // an entry is larger than such a file can be
        CannotWrite,   // writing a copy or its description failed (`problem` says how)
    };
    Kind kind = Kind::None;
    std::string path;
    int error = 0;
    FileProblem problem = FileProblem::None; // for CannotWrite: what the writer reported

    explicit operator bool() const { return kind != Kind::None; }
    // An English sentence, for the error stream and logs.
    std::string english() const;

    bool operator==(const RecoveryFault&) const = default;
};

class RecoveryFolder {
public:
    // $XDG_STATE_HOME/vornak/recovery, or ~/.local/state/vornak/recovery (the home folder from the
    // user database when HOME is unset or relative); on Windows under %LOCALAPPDATA%.
    static std::string stateFolder();

    explicit RecoveryFolder(std::string path);
    const std::string& path() const { return path_; }

    // Makes the folder and any missing parents (0700) and makes a folder of this user that others
    // may only read private; then examines it as examine() does.
    RecoveryFault prepare() const;
    // Whether the folder may be trusted, changing nothing. A missing folder is CannotExamine with
    // ENOENT: nothing to read, nothing wrong.
    RecoveryFault examine() const;

    // The names in the folder (hidden ones left out), after examine() found it trustworthy.
    RecoveryFault names(std::vector<std::string>& found) const;
    // The bytes of one entry (a name in the folder), at most `limit` of them: only a plain file of
    // this user with one name, opened without following a link and without blocking.
    RecoveryFault read(const std::string& name, std::size_t limit, std::string& bytes) const;
    // Judges an entry as read() does without reading it; `size` is its size in bytes.
    RecoveryFault inspect(const std::string& name, std::uint64_t& size) const;
    // Makes an entry that does not exist yet, readable and writable by this user only; an existing
    // one must be a plain file of this user (made private when it is not).
    RecoveryFault createPrivate(const std::string& name) const;
    // Removes an entry; true when it is gone (or was never there).
    bool remove(const std::string& name) const;

private:
    std::string entryPath(const std::string& name) const { return path_ + "/" + name; }

    std::string path_;
};

// One running (or once running) process, told apart from a later process that got the same id:
// the system's boot id and the process's start time are compared too where the system has them.
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

} // namespace vornak
