// Lines up two sequences the way a reviewer compares two versions of a list: the longest run of
// items kept in order is found first (Myers' algorithm, cheap when the versions differ little),
// then the items left over between two kept ones are paired when they resemble each other, so that
// an edited item shows as changed while an inserted one shows as inserted.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace vornak {

// Positions (0-based) of one item in the first sequence and its partner in the second.
struct AlignedPair {
    std::size_t first = 0;
    std::size_t second = 0;

    bool operator==(const AlignedPair&) const = default;
};

// The pairs of equal items of a longest common subsequence, in order. When the two sequences differ
// in more than `maxEdits` places the search stops and only the common start and end are paired.
std::vector<AlignedPair> commonSubsequence(std::size_t firstCount, std::size_t secondCount,
                                           const std::function<bool(std::size_t, std::size_t)>& equal,
                                           std::size_t maxEdits = 1000);

// Order-keeping pairs of resembling items between two lists of positions (the leftovers of one gap):
// the pairing with the largest total resemblance, counting only pairs that reach `threshold`.
// resemblance(first, second) is in [0, 1]. Large gaps fall back to pairing in order.
std::vector<AlignedPair> pairResembling(const std::vector<std::size_t>& firsts,
                                        const std::vector<std::size_t>& seconds,
                                        const std::function<double(std::size_t, std::size_t)>& resemblance,
                                        double threshold);

} // namespace vornak
