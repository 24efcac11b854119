#include "FileMapping.h"

namespace vornak {

std::shared_ptr<const FileMapping> FileMapping::open(std::intptr_t handle, std::size_t size) {
    if (handle < 0 || size == 0) {
        return nullptr;
    }
    std::intptr_t kept = -1;
    const char* begin = detail::mapInput(handle, size, kept);
    if (begin == nullptr) {
        return nullptr;
    }
    const int slot = detail::guardMapping(begin, size);
    if (slot < 0) {
        // Unwatched, a file cut short would end the process: read it block by block instead.
        detail::unmapInput(begin, size, kept);
        return nullptr;
    }
    return std::shared_ptr<const FileMapping>(new FileMapping(begin, size, kept, slot));
}

FileMapping::~FileMapping() {
    detail::releaseGuard(guardSlot_);
    detail::unmapInput(begin_, size_, kept_);
}

bool FileMapping::cutMet() const {
    return detail::mappingCut(guardSlot_);
}

bool FileMapping::changed() const {
    return cutMet() || detail::inputShorter(kept_, size_);
}

} // namespace vornak
