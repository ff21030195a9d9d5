#include "download_engine/rangefield.h"

#include <algorithm>

namespace dlengine {

void rangefield::reset(std::int64_t size) {
    std::lock_guard<std::mutex> guard(lock_);
    size_ = size;
    ranges_.clear();
    dirty_ = false;
}

std::int64_t rangefield::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return size_;
}

bool rangefield::update(std::int64_t left, std::int64_t right) {
    std::lock_guard<std::mutex> guard(lock_);
    if (left < 0 || left >= right || right > size_) return false;
    auto after = ranges_.upper_bound(left);
    if (after != ranges_.begin()) {
        auto before = std::prev(after);
        if (before->second == left) {
            before->second = std::max(before->second, right);
            dirty_ = true;
            return true;
        }
    }
    ranges_[left] = right;
    dirty_ = true;
    return true;
}

void rangefield::normalise() const {
    if (!dirty_) return;
    auto it = ranges_.begin();
    while (it != ranges_.end()) {
        auto next = std::next(it);
        if (next != ranges_.end() && next->first <= it->second) {
            it->second = std::max(it->second, next->second);
            ranges_.erase(next);
        } else {
            it = next;
        }
    }
    dirty_ = false;
}

std::vector<rangefield::range> rangefield::gaps() const {
    std::lock_guard<std::mutex> guard(lock_);
    normalise();
    std::vector<range> result;
    std::int64_t position = 0;
    for (const auto& [left, right] : ranges_) {
        if (left > position) result.emplace_back(position, left);
        position = std::max(position, right);
    }
    if (position < size_) result.emplace_back(position, size_);
    return result;
}

std::optional<rangefield::range> rangefield::out_space(std::int64_t position) const {
    const std::vector<range> free = gaps();
    if (free.empty()) return std::nullopt;
    for (const range& gap : free) {
        if (gap.second > position) return range(std::max(gap.first, position), gap.second);
    }
    return free.front();
}

bool rangefield::is_full() const {
    std::lock_guard<std::mutex> guard(lock_);
    normalise();
    return ranges_.size() == 1 && ranges_.begin()->first == 0 && ranges_.begin()->second == size_;
}

std::int64_t rangefield::bytes() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::int64_t total = 0;
    for (const auto& [left, right] : ranges_) total += right - left;
    return total;
}

std::vector<rangefield::range> rangefield::ranges() const {
    std::lock_guard<std::mutex> guard(lock_);
    normalise();
    return std::vector<range>(ranges_.begin(), ranges_.end());
}

}  // namespace dlengine
