#include "download_engine/response_head_parser.h"

#include <cctype>
#include <cstring>

#include <boost/asio/error.hpp>

#include "download_engine/http_error.h"

namespace dlengine {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Token characters of a header name.
bool is_token_char(char c) {
    if (std::isalnum(static_cast<unsigned char>(c))) return true;
    return c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool is_space(char c) { return c == ' ' || c == '\t'; }

std::string trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && is_space(text[first])) ++first;
    while (last > first && is_space(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace

void response_head_parser::reset(bool post_request) {
    post_request_ = post_request;
    state_ = state::status_line;
    status_ = 0;
    continue_end_seen_ = 0;
    head_length_ = 0;
    line_.clear();
    headers_.clear();
    pending_.reset();
    failure_.clear();
}

boost::system::error_code response_head_parser::eof_error() const {
    if (state_ == state::header_line) return http_error::malformed_response_headers;
    return boost::asio::error::eof;
}

// "HTTP/" 1*DIGIT "." 1*DIGIT SP 3DIGIT SP reason, where the status is 100
// or more and the reason holds no control character other than a tab.
bool response_head_parser::parse_status_line(boost::system::error_code& ec) {
    const std::string& line = line_;
    std::size_t at = 0;
    const auto digits = [&line, &at]() {
        const std::size_t start = at;
        while (at < line.size() && is_digit(line[at])) ++at;
        return at - start;
    };
    bool valid = line.compare(0, 5, "HTTP/") == 0;
    if (valid) {
        at = 5;
        valid = digits() > 0 && at < line.size() && line[at++] == '.' && digits() > 0 && at < line.size() &&
                line[at++] == ' ';
    }
    int status = 0;
    if (valid) {
        const std::size_t status_start = at;
        valid = digits() == 3 && at < line.size() && line[at++] == ' ';
        // A leading 0 is no status class of HTTP.
        if (valid) status = std::stoi(line.substr(status_start, 3));
        valid = valid && status >= 100;
    }
    for (std::size_t i = at; valid && i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7f) valid = false;
    }
    if (!valid) return fail(http_error::malformed_status_line, ec);
    status_ = status;
    return true;
}

bool response_head_parser::fail(http_error error, boost::system::error_code& ec) {
    state_ = state::failed;
    failure_ = error;
    ec = error;
    return false;
}

void response_head_parser::flush_pending() {
    if (pending_) headers_.insert(pending_->first, pending_->second);
    pending_.reset();
}

bool response_head_parser::parse_header_line(boost::system::error_code& ec) {
    const auto malformed = [this, &ec]() { return fail(http_error::malformed_response_headers, ec); };
    if (is_space(line_[0])) {
        if (!pending_) return malformed();
        const std::string more = trim(line_);
        std::string& value = pending_->second;
        if (!more.empty()) value += value.empty() ? more : " " + more;
        return true;
    }
    const std::size_t colon = line_.find(':');
    if (colon == std::string::npos) return malformed();
    const std::string name = trim(line_.substr(0, colon));
    if (name.empty()) return malformed();
    for (char c : name) {
        if (!is_token_char(c)) return malformed();
    }
    flush_pending();
    pending_.emplace(name, trim(line_.substr(colon + 1)));
    return true;
}

std::size_t response_head_parser::feed(const char* data, std::size_t size, boost::system::error_code& ec) {
    ec.clear();
    std::size_t used = 0;
    while (used < size && state_ != state::done && state_ != state::failed) {
        const char c = data[used++];
        if (++head_length_ > max_head_length) {
            fail(state_ == state::header_line ? http_error::malformed_response_headers
                                              : http_error::malformed_status_line,
                 ec);
            return used;
        }
        if (state_ == state::continue_end) {
            // An interim 100 answer carries no header lines: exactly CRLF.
            if (c != (continue_end_seen_ == 0 ? '\r' : '\n')) {
                fail(http_error::malformed_status_line, ec);
                return used;
            }
            if (++continue_end_seen_ < 2) continue;
            if (post_request_) {
                state_ = state::done;
                ec = http_error::continue_status;
                return used;
            }
            state_ = state::status_line;
            continue;
        }
        if (c == '\n' && !line_.empty() && line_.back() == '\r') {
            line_.pop_back();
            if (state_ == state::status_line) {
                if (!parse_status_line(ec)) return used;
                if (status_ == 100) {
                    state_ = state::continue_end;
                    continue_end_seen_ = 0;
                } else {
                    state_ = state::header_line;
                }
            } else if (line_.empty()) {
                flush_pending();
                state_ = state::done;
            } else if (!parse_header_line(ec)) {
                return used;
            }
            line_.clear();
            continue;
        }
        line_ += c;
        if (state_ == state::status_line && line_.size() > max_status_line_length) {
            fail(http_error::malformed_status_line, ec);
            return used;
        }
    }
    if (state_ == state::failed) ec = failure_;
    return used;
}

}  // namespace dlengine
