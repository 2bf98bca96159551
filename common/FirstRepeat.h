#pragma once

#include <cstddef>
#include <span>
#include <unordered_set>
#include <vector>

/// Position of the first element of `items` equal to an earlier one, or
/// `items.size()` when all differ. Short lists (faces are mostly 3 to 8
/// corners) are scanned pairwise; long ones go through a hash set, so a face
/// of 100,000 corners costs linear time, not quadratic.
template <typename T> std::size_t FindFirstRepeat(std::span<const T> items) {
    constexpr std::size_t kPairwiseLimit = 32;
    if (items.size() <= kPairwiseLimit) {
        for (std::size_t k = 1; k < items.size(); ++k)
            for (std::size_t m = 0; m < k; ++m)
                if (items[k] == items[m])
                    return k;
        return items.size();
    }
    std::unordered_set<T> seen;
    seen.reserve(items.size());
    for (std::size_t k = 0; k < items.size(); ++k)
        if (!seen.insert(items[k]).second)
            return k;
    return items.size();
}

template <typename T> std::size_t FindFirstRepeat(const std::vector<T>& items) {
    return FindFirstRepeat(std::span<const T>(items));
}
