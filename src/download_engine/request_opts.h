#pragma once
// An ordered list of (name, value) pairs: request headers and options going
// out, response headers coming in. Names starting with "_" are options that
// are never sent as headers:
//   "_request_method"  method, default "GET"
//   "_http_version"    version text of the request line, default "HTTP/1.1"
//   "_request_body"    bytes sent after the headers
//   "_url"             request another URL on the open connection
//   "_path"            never sent
//   "_status_code"     in response options: the status as decimal text

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dlengine {

class request_opts {
public:
    using value_type = std::pair<std::string, std::string>;
    using list_type = std::vector<value_type>;
    using const_iterator = list_type::const_iterator;

    // Appends; an existing pair of the same name stays.
    void insert(const std::string& name, const std::string& value);
    // Removes every pair whose name equals `name` without regard to case.
    void remove(const std::string& name);
    // remove(name) followed by insert(name, value).
    void set(const std::string& name, const std::string& value);

    // The value of the first pair whose name equals `name` without regard to
    // case.
    std::optional<std::string> find(const std::string& name) const;
    bool contains(const std::string& name) const { return find(name).has_value(); }

    void clear() { items_.clear(); }
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }
    const list_type& items() const { return items_; }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    list_type items_;
};

}  // namespace dlengine
