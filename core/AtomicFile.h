// Writing a file so that the previous one survives any failure: the bytes go to a new file in the
// same folder, which is flushed to disk and only then put in the target's place. The only OS calls
// of the core live behind this header.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vornak {

// Returns true when every byte reached the disk and the target was replaced. On false, `error`
// says why, the old target is as it was and no temporary file is left behind.
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string& error);

// Test seam: when set, the write that would take the file past this many bytes fails, as a full
// disk would. Process-wide; reset with std::nullopt.
void failFileWritesAfter(std::optional<std::size_t> bytes);

} // namespace vornak
