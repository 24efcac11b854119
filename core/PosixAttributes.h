// The attributes and mode a replacing file takes on POSIX systems: the old file's, or those a new
// file gets in its folder from the folder's default ACL and the process's umask.
#pragma once

#include <string>
#include <sys/types.h>

namespace vornak::detail {

// Copies every extended attribute (POSIX ACLs included) of the file at `from` to the open file
// `to`; attributes the filesystem or the user's rights refuse are skipped.
void copyAttributes(const std::string& from, int to);

// Gives the open file `to` the extended attributes (the access ACL a default ACL makes) that a file
// created as `open(name, O_CREAT, 0666)` in the open folder `folder` gets there, and returns that
// file's mode. The folder is asked directly: an empty file is created beside `name` under a
// temporary name and removed at once. Where that fails, 0666 without the umask.
mode_t giveNewFileAttributes(int folder, const std::string& name, int to);

} // namespace vornak::detail
