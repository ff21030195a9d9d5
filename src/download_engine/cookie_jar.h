#pragma once
// The cookies one stream received, sent back on its later requests.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "download_engine/url.h"

namespace dlengine {

// Dates of the "expires" attribute in the forms servers send ("Sun, 06 Nov
// 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37
// 1994"), read token by token; always UTC. Empty when no date is found.
std::optional<std::chrono::system_clock::time_point> parse_cookie_date(const std::string& text);

class cookie_jar {
public:
    using clock = std::chrono::system_clock;

    // Takes one "Set-Cookie" value received from `origin`. Its ";"-separated
    // pairs are the attributes expires, domain, path, secure and httponly
    // (names without regard to case) and, every other pair, cookies. A cookie
    // already held under the same name, domain and path is replaced; one
    // whose expiry has passed is removed.
    void add(const std::string& set_cookie, const url& origin, clock::time_point now = clock::now());

    // "name=value; name=value" for the cookies that apply to `target`: the
    // domain matches (exactly, or as a suffix after a "." when the cookie
    // named a domain), the path matches, not expired, and secure cookies only
    // for "https". "" when none applies.
    std::string cookie_line(const url& target, clock::time_point now = clock::now()) const;

    std::size_t size() const { return cookies_.size(); }
    void clear() { cookies_.clear(); }

private:
    struct cookie {
        std::string name;
        std::string value;
        std::string domain;  // lower case, without a leading "."
        bool host_only = true;
        std::string path;
        bool secure = false;
        std::optional<clock::time_point> expires;
    };

    std::vector<cookie> cookies_;
};

}  // namespace dlengine
