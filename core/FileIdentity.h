// Which file a path names, as the system tells files apart: two paths name the same file when
// their device and inode agree (hard links, symbolic links, "a/../b"), and a file's change time
// moves with every write and every change of its attributes, even when its modification time is
// set back afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vornak {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t changedSeconds = 0; // the change time (ctime)
    std::int64_t changedNanoseconds = 0;
    bool regular = false; // a regular file, not a pipe, device or folder

    bool sameFileAs(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` finally names (symbolic links followed); nothing when there is
// no such file or it cannot be looked at.
std::optional<FileIdentity> identifyFile(const std::string& path);

} // namespace vornak
