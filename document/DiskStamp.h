// What a file looked like on disk at one moment (existence, type, size, modification time, and which
// file it was with its change time), so that a later look can tell whether another program changed,
// replaced or deleted it meanwhile, even one that copied the old size and time along (cp -p,
// rsync -t, touch -r).
#pragma once

#include "FileIdentity.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vornak {

struct DiskStamp {
    bool taken = false; // false: nothing known (untitled document)
    bool exists = false;
    std::filesystem::file_type type = std::filesystem::file_type::none;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    FileIdentity identity; // device, inode and change time

    // Looks at the file the path finally names (links followed). Never throws.
    static DiskStamp of(const std::string& path);

    bool operator==(const DiskStamp&) const = default;
};

} // namespace vornak
