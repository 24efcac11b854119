// Cuts a failing list of steps down to a short one that still fails the same way (delta
// debugging: drop chunks, halving their size while none can go, down to single steps).
#pragma once

#include <functional>
#include <vector>

namespace vornak::testing {

// fails(steps) replays steps from the start and says whether they still fail the same way; it is
// called at most maxReplays times. The steps given must fail.
template <typename T>
std::vector<T> shrinkSteps(std::vector<T> steps, const std::function<bool(const std::vector<T>&)>& fails,
                           int maxReplays = 400) {
    int replays = 0;
    std::size_t chunks = 2;
    while (steps.size() >= 2 && replays < maxReplays) {
        const std::size_t size = (steps.size() + chunks - 1) / chunks;
        bool dropped = false;
        for (std::size_t start = 0; start < steps.size() && replays < maxReplays; start += size) {
            std::vector<T> rest(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(start));
            rest.insert(rest.end(), steps.begin() + static_cast<std::ptrdiff_t>(std::min(start + size, steps.size())),
                        steps.end());
            ++replays;
            if (!rest.empty() && fails(rest)) {
                steps = std::move(rest);
                chunks = std::max<std::size_t>(chunks - 1, 2);
                dropped = true;
                break;
            }
        }
        if (!dropped) {
            if (size <= 1) {
                break; // no single step can go
            }
            chunks = std::min(chunks * 2, steps.size());
        }
    }
    return steps;
}

} // namespace vornak::testing
