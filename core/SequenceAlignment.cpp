#include "SequenceAlignment.h"

#include <algorithm>

namespace vornak {

namespace {

// Myers' greedy search for the shortest edit script between a[lo1, hi1) and b[lo2, hi2), keeping
// every round's frontier so that the path can be walked back. Returns false (and adds nothing) when
// more than maxEdits edits would be needed.
bool shortestEditPath(std::size_t lo1, std::size_t hi1, std::size_t lo2, std::size_t hi2,
                      const std::function<bool(std::size_t, std::size_t)>& equal, std::size_t maxEdits,
                      std::vector<AlignedPair>& pairs) {
    const long n = static_cast<long>(hi1 - lo1);
    const long m = static_cast<long>(hi2 - lo2);
    const long limit = static_cast<long>(std::min<std::size_t>(maxEdits, static_cast<std::size_t>(n + m)));
    const auto same = [&](long x, long y) {
        return equal(lo1 + static_cast<std::size_t>(x), lo2 + static_cast<std::size_t>(y));
    };
    // rounds[d][k + d]: the furthest x reached on diagonal k = x - y with d edits.
    std::vector<std::vector<long>> rounds;
    long found = -1;
    for (long d = 0; d <= limit && found < 0; ++d) {
        std::vector<long> current(static_cast<std::size_t>(2 * d + 1), 0);
        for (long k = -d; k <= d; k += 2) {
            long x = 0;
            if (d > 0) {
                const std::vector<long>& before = rounds.back();
                const auto reach = [&](long diagonal) { return before[static_cast<std::size_t>(diagonal + d - 1)]; };
                if (k == -d || (k != d && reach(k - 1) < reach(k + 1))) {
                    x = reach(k + 1); // an item of the second inserted
                } else {
                    x = reach(k - 1) + 1; // an item of the first removed
                }
            }
            long y = x - k;
            while (x < n && y < m && same(x, y)) {
                ++x;
                ++y;
            }
            current[static_cast<std::size_t>(k + d)] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
        rounds.push_back(std::move(current));
    }
    if (found < 0) {
        return false;
    }
    std::vector<AlignedPair> reversed;
    long x = n;
    long y = m;
    for (long d = found; d > 0; --d) {
        const long k = x - y;
        const std::vector<long>& before = rounds[static_cast<std::size_t>(d - 1)];
        const auto reach = [&](long diagonal) { return before[static_cast<std::size_t>(diagonal + d - 1)]; };
        long previousX;
        long previousY;
        long snakeX;
        long snakeY;
        if (k == -d || (k != d && reach(k - 1) < reach(k + 1))) {
            previousX = reach(k + 1);
            previousY = previousX - (k + 1);
            snakeX = previousX;
            snakeY = previousY + 1;
        } else {
            previousX = reach(k - 1);
            previousY = previousX - (k - 1);
            snakeX = previousX + 1;
            snakeY = previousY;
        }
        while (x > snakeX && y > snakeY) {
            --x;
            --y;
            reversed.push_back({lo1 + static_cast<std::size_t>(x), lo2 + static_cast<std::size_t>(y)});
        }
        x = previousX;
        y = previousY;
    }
    while (x > 0 && y > 0) {
        --x;
        --y;
        reversed.push_back({lo1 + static_cast<std::size_t>(x), lo2 + static_cast<std::size_t>(y)});
    }
    pairs.insert(pairs.end(), reversed.rbegin(), reversed.rend());
    return true;
}

} // namespace

std::vector<AlignedPair> commonSubsequence(std::size_t firstCount, std::size_t secondCount,
                                           const std::function<bool(std::size_t, std::size_t)>& equal,
                                           std::size_t maxEdits) {
    std::vector<AlignedPair> pairs;
    std::size_t start = 0;
    while (start < firstCount && start < secondCount && equal(start, start)) {
        pairs.push_back({start, start});
        ++start;
    }
    std::size_t endFirst = firstCount;
    std::size_t endSecond = secondCount;
    std::vector<AlignedPair> tail;
    while (endFirst > start && endSecond > start && equal(endFirst - 1, endSecond - 1)) {
        --endFirst;
        --endSecond;
        tail.push_back({endFirst, endSecond});
    }
    if (endFirst > start && endSecond > start) {
        shortestEditPath(start, endFirst, start, endSecond, equal, maxEdits, pairs);
    }
    pairs.insert(pairs.end(), tail.rbegin(), tail.rend());
    return pairs;
}

std::vector<AlignedPair> pairResembling(const std::vector<std::size_t>& firsts,
                                        const std::vector<std::size_t>& seconds,
                                        const std::function<double(std::size_t, std::size_t)>& resemblance,
                                        double threshold) {
    std::vector<AlignedPair> pairs;
    const std::size_t n = firsts.size();
    const std::size_t m = seconds.size();
    if (n == 0 || m == 0) {
        return pairs;
    }
    constexpr std::size_t largestTable = 250'000;
    if (n * m > largestTable) {
        for (std::size_t i = 0; i < std::min(n, m); ++i) {
            if (resemblance(firsts[i], seconds[i]) >= threshold) {
                pairs.push_back({firsts[i], seconds[i]});
            }
        }
        return pairs;
    }
    // best[i][j]: the largest total over firsts[i..] and seconds[j..].
    std::vector<double> best((n + 1) * (m + 1), 0.0);
    std::vector<double> score(n * m, 0.0);
    const auto cell = [m](std::size_t i, std::size_t j) { return i * (m + 1) + j; };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            const double s = resemblance(firsts[i], seconds[j]);
            score[i * m + j] = s;
            double value = std::max(best[cell(i + 1, j)], best[cell(i, j + 1)]);
            if (s >= threshold) {
                value = std::max(value, s + best[cell(i + 1, j + 1)]);
            }
            best[cell(i, j)] = value;
        }
    }
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n && j < m) {
        const double s = score[i * m + j];
        if (s >= threshold && best[cell(i, j)] == s + best[cell(i + 1, j + 1)]) {
            pairs.push_back({firsts[i], seconds[j]});
            ++i;
            ++j;
        } else if (best[cell(i, j)] == best[cell(i + 1, j)]) {
            ++i;
        } else {
            ++j;
        }
    }
    return pairs;
}

} // namespace vornak
