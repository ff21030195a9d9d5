#pragma once
// A set of half-open byte ranges of a file of known size: the bytes handed out
// to connections, or the bytes written. Recording is one map operation;
// merging is deferred to the next query. Thread-safe: the downloader records
// on its event-loop thread while the driver's thread reads bytes().
//
//   0          left      right              size
//   |----------[=========)-------------------|
//   ranges are [left, right), 0 <= left < right <= size

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace dlengine {

class rangefield {
public:
    using range = std::pair<std::int64_t, std::int64_t>;

    void reset(std::int64_t size);
    std::int64_t size() const;

    // Accepted only when 0 <= left < right <= size. A range starting where a
    // stored one ends extends it, so a stream of adjacent writes stays one entry.
    bool update(std::int64_t left, std::int64_t right);

    // The parts of [0, size) not covered, in order.
    std::vector<range> gaps() const;
    // The first gap ending after `position`, its start raised to `position`;
    // else the first gap; nullopt when everything is covered.
    std::optional<range> out_space(std::int64_t position) const;
    // Exactly one range, [0, size).
    bool is_full() const;
    // The covered bytes.
    std::int64_t bytes() const;
    // The covered ranges, merged, in order.
    std::vector<range> ranges() const;

private:
    void normalise() const;

    mutable std::mutex lock_;
    std::int64_t size_ = 0;
    mutable std::map<std::int64_t, std::int64_t> ranges_;
    mutable bool dirty_ = false;
};

}  // namespace dlengine
