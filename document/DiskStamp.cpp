#include "DiskStamp.h"

#include <system_error>

namespace vornak {

DiskStamp DiskStamp::of(const std::string& path) {
    namespace fs = std::filesystem;
    DiskStamp stamp;
    stamp.taken = true;
    std::error_code error;
    const fs::path where(path);
    const fs::file_status status = fs::status(where, error);
    if (error || !fs::exists(status)) {
        return stamp;
    }
    stamp.exists = true;
    stamp.type = status.type();
    if (fs::is_regular_file(status)) {
        stamp.size = fs::file_size(where, error);
        if (error) {
            stamp.size = 0;
        }
    }
    stamp.modified = fs::last_write_time(where, error);
    if (error) {
        stamp.modified = {};
    }
    stamp.identity = identifyFile(path).value_or(FileIdentity{});
    return stamp;
}

} // namespace vornak
