#pragma once
// A stable merge sort that needs nothing of its comparison but an answer: it
// takes an element of the right run before one of the left run only when
// compare(left, right) > 0, never reads outside the vector and ends after
// O(n log n) comparisons even when the comparison contradicts itself.
#include <cstddef>
#include <utility>
#include <vector>

namespace lorvex {

template <class T, class Compare>
void MergeSort(std::vector<T>& items, Compare compare) {
    const std::size_t n = items.size();
    if (n < 2) return;

    // Short runs by insertion: an element moves left only past elements that
    // must come after it, so equal elements keep their order.
    constexpr std::size_t kRun = 24;
    for (std::size_t start = 0; start < n; start += kRun) {
        const std::size_t end = start + kRun < n ? start + kRun : n;
        for (std::size_t i = start + 1; i < end; ++i) {
            T item = std::move(items[i]);
            std::size_t j = i;
            while (j > start && compare(items[j - 1], item) > 0) {
                items[j] = std::move(items[j - 1]);
                --j;
            }
            items[j] = std::move(item);
        }
    }

    std::vector<T> buffer(n);
    std::vector<T>* from = &items;
    std::vector<T>* to = &buffer;
    for (std::size_t width = kRun; width < n; width *= 2) {
        for (std::size_t left = 0; left < n; left += 2 * width) {
            const std::size_t mid = left + width < n ? left + width : n;
            const std::size_t right = left + 2 * width < n ? left + 2 * width : n;
            std::vector<T>& src = *from;
            std::vector<T>& dst = *to;
            std::size_t i = left, j = mid, k = left;
            // Runs already in order need no merging.
            if (mid < right && compare(src[mid - 1], src[mid]) <= 0) {
                for (; i < right; ++i) dst[k++] = std::move(src[i]);
                continue;
            }
            while (i < mid && j < right) {
                if (compare(src[i], src[j]) > 0)
                    dst[k++] = std::move(src[j++]);
                else
                    dst[k++] = std::move(src[i++]);
            }
            while (i < mid) dst[k++] = std::move(src[i++]);
            while (j < right) dst[k++] = std::move(src[j++]);
        }
        std::swap(from, to);
    }
    if (from != &items) items = std::move(*from);
}

}  // namespace lorvex
