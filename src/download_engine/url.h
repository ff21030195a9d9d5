#pragma once
// The URL record every request, redirect and resume file goes through.

#include <string>

#include <boost/system/error_code.hpp>

namespace dlengine {

class url {
public:
    // Parts chosen when turning a URL back into text; they are written in
    // the order of their values.
    enum component : int {
        protocol_component = 1,   // "http://"
        user_info_component = 2,  // "user:password@"
        host_component = 4,       // "example.org" or "[::1]"
        port_component = 8,       // ":8080"
        path_component = 16,      // "/a/b.bin"
        query_component = 32,     // "?x=1"
        fragment_component = 64,  // "#top"
        host_and_port = host_component | port_component,
        target_components = path_component | query_component | fragment_component,
        all_components = 127,
    };

    url() = default;

    // Parses `text` without percent-decoding any part. On failure `ec` is the
    // generic "invalid argument" error and the result is an empty URL.
    static url from_string(const std::string& text, boost::system::error_code& ec);

    // The parts selected by `components` (a sum of `component` values).
    std::string to_string(int components = all_components) const;

    const std::string& protocol() const { return protocol_; }
    const std::string& user_info() const { return user_info_; }
    const std::string& host() const { return host_; }
    const std::string& port_text() const { return port_; }
    const std::string& path() const { return path_; }
    const std::string& query() const { return query_; }
    const std::string& fragment() const { return fragment_; }
    bool is_ipv6_host() const { return ipv6_host_; }

    // The explicit port, else the protocol's default (http 80, https 443,
    // ftp 21, anything else 0). A port text beyond 65535 gives 0, which no
    // connection can use.
    unsigned short port() const;

    bool empty() const { return protocol_.empty() && host_.empty(); }

private:
    std::string protocol_;
    std::string user_info_;
    std::string host_;
    std::string port_;
    std::string path_;
    std::string query_;
    std::string fragment_;
    bool ipv6_host_ = false;
};

}  // namespace dlengine
