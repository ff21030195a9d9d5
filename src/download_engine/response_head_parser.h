#pragma once
// Parses a response head incrementally, whatever the split of the input:
// the status line ("HTTP/" digits "." digits SP 3 digits SP reason CRLF),
// interim 100 answers, header lines up to the empty line.

#include <cstddef>
#include <optional>
#include <string>

#include <boost/system/error_code.hpp>

#include "download_engine/http_error.h"
#include "download_engine/request_opts.h"

namespace dlengine {

class response_head_parser {
public:
    // Limits that stop a peer from growing the head without end.
    static constexpr std::size_t max_status_line_length = 8192;
    static constexpr std::size_t max_head_length = 256 * 1024;

    // With `post_request` an interim 100 answer ends the head with the
    // "HTTP" error 100; otherwise it is skipped.
    explicit response_head_parser(bool post_request = false) : post_request_(post_request) {}

    void reset(bool post_request);

    // Consumes head bytes from the front of the input and returns how many.
    // Stops at the end of the head (done()) or at an error: a bad status line
    // gives malformed_status_line, a bad header line
    // malformed_response_headers. Bytes after the head are left unconsumed.
    std::size_t feed(const char* data, std::size_t size, boost::system::error_code& ec);

    // The error for a peer that closed the connection before the head ended:
    // asio's end of file inside the status line, malformed_response_headers
    // among the header lines.
    boost::system::error_code eof_error() const;

    bool done() const { return state_ == state::done; }
    // Status of the last status line read; 0 before one was.
    int status() const { return status_; }
    // Header fields in arrival order, names and values trimmed, folded
    // continuation lines joined to their field with one space.
    const request_opts& headers() const { return headers_; }

private:
    enum class state { status_line, continue_end, header_line, done, failed };

    bool parse_status_line(boost::system::error_code& ec);
    bool parse_header_line(boost::system::error_code& ec);
    bool fail(http_error error, boost::system::error_code& ec);
    // A header field is kept back until the next line shows it is not
    // continued.
    void flush_pending();

    bool post_request_;
    state state_ = state::status_line;
    int status_ = 0;
    int continue_end_seen_ = 0;
    std::size_t head_length_ = 0;
    std::string line_;
    std::optional<request_opts::value_type> pending_;
    request_opts headers_;
    boost::system::error_code failure_;
};

}  // namespace dlengine
