#include "download_engine/request_opts.h"

#include <algorithm>
#include <strings.h>

namespace dlengine {

namespace {

bool same_name(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

void request_opts::insert(const std::string& name, const std::string& value) {
    items_.emplace_back(name, value);
}

void request_opts::remove(const std::string& name) {
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&name](const value_type& item) { return same_name(item.first, name); }),
                 items_.end());
}

void request_opts::set(const std::string& name, const std::string& value) {
    remove(name);
    insert(name, value);
}

std::optional<std::string> request_opts::find(const std::string& name) const {
    for (const value_type& item : items_) {
        if (same_name(item.first, name)) return item.second;
    }
    return std::nullopt;
}

}  // namespace dlengine
