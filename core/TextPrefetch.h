// Texts held apart (each in its own allocation) are asked for a few rows ahead by whoever copies
// them in order, so that the copy does not wait on memory at every text.
#pragma once

#include <cstddef>
#include <string_view>

namespace vornak::detail {

constexpr std::size_t prefetchDistance = 4;
template <typename Row> void prefetchTexts(const Row& row) {
#if defined(__GNUC__)
    __builtin_prefetch(std::string_view(row.value).data());
    __builtin_prefetch(std::string_view(row.upperBound).data());
    __builtin_prefetch(std::string_view(row.result).data());
#else
    (void)row;
#endif
}

} // namespace vornak::detail
