#include "download_engine/http_stream.h"

#include "download_engine/ascii.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <utility>

#include <boost/asio/error.hpp>
#include <boost/asio/post.hpp>
#include <boost/system/system_error.hpp>

#include "download_engine/connect.h"
#include "download_engine/http_error.h"
#include "download_engine/http_proxy.h"
#include "download_engine/response_head_parser.h"
#include "download_engine/transport.h"

namespace dlengine {

namespace asio = boost::asio;
using boost::system::error_code;

namespace {

// A decimal byte count; false for anything else, a sign or an overflow.
bool parse_length(const std::string& text, std::int64_t& value) {
    if (text.empty()) return false;
    std::int64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        if (result > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) return false;
        result = result * 10 + (c - '0');
    }
    value = result;
    return true;
}

// Takes the value of `name` out of `options` (or `fallback`) and records it
// as sent.
std::string take(request_opts& options, request_opts& sent, const std::string& name, const std::string& fallback) {
    const std::string value = options.find(name).value_or(fallback);
    options.remove(name);
    sent.insert(name, value);
    return value;
}

}  // namespace

http_stream::http_stream(asio::io_context& io)
    : io_(io), resolver_(io), transport_(std::make_unique<transport>(io)), head_(std::make_unique<response_head_parser>()) {}

http_stream::~http_stream() = default;

// ---- shared steps ------------------------------------------------------

void http_stream::reset_for_open(const url& target) {
    url_ = target;
    content_type_.clear();
    status_code_ = 0;
    head_complete_ = false;
    content_length_ = -1;
    body_bytes_read_ = 0;
    response_buffer_.clear();
    ahead_begin_ = ahead_end_ = 0;
    request_buffer_.clear();
    chunked_ = false;
    chunks_.reset();
}

std::size_t http_stream::take_read_ahead(char* out, std::size_t size) {
    const std::size_t count = std::min(size, ahead_end_ - ahead_begin_);
    if (count == 0) return 0;
    std::memcpy(out, body_ahead_.get() + ahead_begin_, count);
    ahead_begin_ += count;
    return count;
}

// Bytes read ahead past the body belong to the next response head.
void http_stream::return_read_ahead() {
    if (ahead_end_ > ahead_begin_) {
        response_buffer_.append(body_ahead_.get() + ahead_begin_, ahead_end_ - ahead_begin_);
    }
    ahead_begin_ = ahead_end_ = 0;
}

bool http_stream::check_protocol(error_code& ec) const {
    if (url_.protocol() == "http" || url_.protocol() == "https") return true;
    ec = asio::error::operation_not_supported;
    return false;
}

// TCP no-delay, then the TLS layer for "https"; the handshake is the caller's.
void http_stream::after_connect(error_code& ec) {
    error_code ignored;
    transport_->socket().set_option(asio::ip::tcp::no_delay(true), ignored);
    if (url_.protocol() == "https") transport_->start_tls(url_.host(), {check_certificate_, ca_file_}, ec);
}

std::string http_stream::compose_request(const request_opts& options) {
    request_opts rest = options;
    sent_options_.clear();
    chunked_ = false;
    chunks_.reset();
    keep_alive_ = true;
    body_bytes_read_ = 0;

    if (const auto other = rest.find("_url")) {
        rest.remove("_url");
        if (!other->empty()) {
            error_code ec;
            const url parsed = url::from_string(*other, ec);
            if (!ec) url_ = parsed;
            sent_options_.insert("_url", *other);
        }
    }

    const std::string method = take(rest, sent_options_, "_request_method", "GET");
    const std::string version = take(rest, sent_options_, "_http_version", "HTTP/1.1");
    const std::string host = take(rest, sent_options_, "Host", url_.to_string(url::host_and_port));
    const std::string accept = take(rest, sent_options_, "Accept", default_accept);
    const std::string user_agent = take(rest, sent_options_, "User-Agent", default_user_agent);
    const std::string cookie_line = cookies_.cookie_line(url_);
    if (!cookie_line.empty()) sent_options_.insert("Cookie", cookie_line);

    // An HTTP proxy serves an "http" target itself; an "https" one goes
    // through a CONNECT tunnel and sees an ordinary request.
    const bool via_proxy = is_http_proxy(proxy_) && url_.protocol() == "http";
    std::string authorization;
    if (via_proxy) {
        authorization = proxy_authorization(proxy_, url_);
        if (!authorization.empty()) {
            rest.remove("Proxy-Authorization");
            sent_options_.insert("Proxy-Authorization", authorization);
        }
    }

    const std::string connection_header = via_proxy ? "Proxy-Connection" : "Connection";
    const std::string connection = rest.find("Connection").value_or("close");
    rest.remove("Connection");
    sent_options_.insert(connection_header, connection);
    if (connection == "close") keep_alive_ = false;

    std::string body;
    if (const auto given = rest.find("_request_body")) {
        body = *given;
        sent_options_.insert("_request_body", body);
    }
    post_request_ = method == "POST";

    std::string bytes = method + " " + url_.to_string(via_proxy ? url::all_components : url::target_components) +
                        " " + version + "\r\n";
    bytes += "Host: " + host + "\r\n";
    bytes += "Accept: " + accept + "\r\n";
    if (!authorization.empty()) bytes += "Proxy-Authorization: " + authorization + "\r\n";
    bytes += "User-Agent: " + user_agent + "\r\n";
    if (!cookie_line.empty()) bytes += "Cookie: " + cookie_line + "\r\n";
    bytes += connection_header + ": " + connection + "\r\n";
    for (const auto& [name, value] : rest) {
        if (!name.empty() && name[0] == '_') continue;
        bytes += name + ": " + value + "\r\n";
        sent_options_.insert(name, value);
    }
    bytes += "\r\n";
    bytes += body;
    return bytes;
}

// Feeds buffered bytes to the head parser; true when the head is over
// (complete or failed, `ec` tells), false when more bytes are needed.
bool http_stream::take_buffered_head(error_code& ec) {
    ec.clear();
    const std::size_t used = head_->feed(response_buffer_.data(), response_buffer_.size(), ec);
    response_buffer_.erase(0, used);
    if (ec == http_error::continue_status) {
        apply_head(ec);
        return true;
    }
    if (ec) return true;
    if (!head_->done()) return false;
    apply_head(ec);
    return true;
}

void http_stream::apply_head(error_code& ec) {
    ec.clear();
    head_complete_ = true;
    status_code_ = head_->status();
    response_options_.clear();
    response_options_.insert("_status_code", std::to_string(status_code_));
    content_type_.clear();
    content_length_ = -1;
    head_had_location_ = false;
    chunks_.reset();

    error_code framing;
    for (const auto& [name, value] : head_->headers()) {
        response_options_.insert(name, value);
        const std::string key = ascii_lower(name);
        if (key == "content-type") {
            content_type_ = value;
        } else if (key == "content-length") {
            std::int64_t length = 0;
            if (!parse_length(value, length)) {
                framing = http_error::malformed_response_headers;
            } else {
                content_length_ = std::max(content_length_, length);
            }
        } else if (key == "location") {
            location_ = value;
            head_had_location_ = true;
        } else if (key == "content-range") {
            const std::size_t slash = value.find('/');
            std::int64_t total = 0;
            if (slash != std::string::npos && parse_length(value.substr(slash + 1), total)) {
                content_length_ = std::max(content_length_, total);
            }
        } else if (key == "transfer-encoding") {
            if (value == "chunked") chunked_ = true;
        } else if (key == "connection") {
            if (value == "close") keep_alive_ = false;
        } else if (key == "set-cookie") {
            cookies_.add(value, url_);
        }
    }

    // A relative location replaces what follows the last "/" of the current
    // URL, "/"-prefixed ones included: "http://h/d/f" + "/g" gives
    // "http://h/d//g".
    if (head_had_location_ && location_.find("://") == std::string::npos) {
        const std::string current = url_.to_string(url::all_components);
        const std::size_t slash = current.rfind('/');
        location_ = (slash == std::string::npos ? current + "/" : current.substr(0, slash + 1)) + location_;
    }

    if (framing) {
        ec = framing;
    } else if (status_code_ != 200 && status_code_ != 206) {
        ec = make_status_error(status_code_);
    }
}

bool http_stream::redirect_pending() const {
    return head_complete_ && (status_code_ == 301 || status_code_ == 302);
}

url http_stream::redirect_target(error_code& ec) const {
    if (!head_had_location_) {
        ec = http_error::invalid_redirect_address;
        return {};
    }
    url target = url::from_string(location_, ec);
    if (ec) ec = http_error::invalid_redirect_address;
    return target;
}

// Body bytes already read with the head; `finished` when the body is known
// to be over.
std::size_t http_stream::take_buffered_body(const asio::mutable_buffer& buffer, bool& finished, error_code& ec) {
    ec.clear();
    finished = false;
    char* const out = static_cast<char*>(buffer.data());
    if (chunked_) {
        const auto result = chunks_.decode(response_buffer_.data(), response_buffer_.size(), out, buffer.size(), ec);
        response_buffer_.erase(0, result.consumed);
        if (ec || result.produced > 0) return result.produced;
        finished = chunks_.done();
        return 0;
    }
    if (keep_alive_ && content_length_ >= 0 && body_bytes_read_ >= content_length_) {
        finished = true;
        return 0;
    }
    std::size_t count = std::min(buffer.size(), response_buffer_.size());
    std::memcpy(out, response_buffer_.data(), count);
    response_buffer_.erase(0, count);
    if (count == 0) count = take_read_ahead(out, buffer.size());
    body_bytes_read_ += static_cast<std::int64_t>(count);
    return count;
}

void http_stream::end_of_body(error_code& ec) const {
    if (keep_alive_) {
        ec.clear();
    } else {
        ec = asio::error::eof;
    }
}

// ---- blocking forms ----------------------------------------------------

void http_stream::open(const url& target, error_code& ec) {
    redirects_ = 0;
    url next = target;
    for (;;) {
        reset_for_open(next);
        if (!check_protocol(ec)) break;
        establish_connection(transport_->socket(), resolver_, url_, proxy_, options_, ec);
        if (ec) break;
        after_connect(ec);
        if (!ec && transport_->is_tls()) transport_->handshake(ec);
        if (ec) break;
        request_buffer_ = compose_request(options_);
        transport_->write(asio::buffer(request_buffer_), ec);
        if (ec) break;
        receive_header(ec);
        if (!redirect_pending()) break;
        error_code ignored;
        close(ignored);
        if (++redirects_ > redirect_limit_) break;
        error_code parse_error;
        next = redirect_target(parse_error);
        if (parse_error) {
            redirects_ = 0;
            throw boost::system::system_error(parse_error);
        }
    }
    redirects_ = 0;
}

void http_stream::request(const request_opts& options, error_code& ec) {
    request_buffer_ = compose_request(options);
    transport_->write(asio::buffer(request_buffer_), ec);
    if (ec) return;
    receive_header(ec);
}

void http_stream::receive_header(error_code& ec) {
    return_read_ahead();
    head_->reset(post_request_);
    head_complete_ = false;
    for (;;) {
        if (take_buffered_head(ec)) return;
        const std::size_t count = transport_->read_some(asio::buffer(read_buffer_), ec);
        if (ec == asio::error::eof) ec = head_->eof_error();
        if (ec) return;
        response_buffer_.append(read_buffer_, count);
    }
}

std::size_t http_stream::read_some(const asio::mutable_buffer& buffer, error_code& ec) {
    if (buffer.size() == 0) {
        ec.clear();
        return 0;
    }
    for (;;) {
        bool finished = false;
        const std::size_t count = take_buffered_body(buffer, finished, ec);
        if (ec || count > 0) return count;
        if (finished) {
            end_of_body(ec);
            return 0;
        }
        if (!chunked_ && buffer.size() >= body_read_ahead) {
            const std::size_t read = transport_->read_some(buffer, ec);
            body_bytes_read_ += static_cast<std::int64_t>(read);
            return read;
        }
        if (!chunked_) {
            if (!body_ahead_) body_ahead_ = std::make_unique<char[]>(body_read_ahead);
            ahead_begin_ = 0;
            ahead_end_ = transport_->read_some(asio::buffer(body_ahead_.get(), body_read_ahead), ec);
            if (ec) ahead_end_ = 0;
            if (ec) return 0;
            continue;
        }
        const std::size_t read = transport_->read_some(asio::buffer(read_buffer_), ec);
        if (ec == asio::error::eof && chunks_.last_chunk_seen()) {
            end_of_body(ec);
            return 0;
        }
        if (ec) return 0;
        response_buffer_.append(read_buffer_, read);
    }
}

void http_stream::close(error_code& ec) {
    resolver_.cancel();
    transport_->close(ec);
}

bool http_stream::is_open() const { return transport_->is_open(); }

// ---- asynchronous forms ------------------------------------------------

void http_stream::post_result(open_handler handler, const error_code& ec) {
    asio::post(io_, [self = shared_from_this(), handler = std::move(handler), ec]() { handler(ec); });
}

void http_stream::post_result(read_handler handler, const error_code& ec, std::size_t count) {
    asio::post(io_, [self = shared_from_this(), handler = std::move(handler), ec, count]() { handler(ec, count); });
}

void http_stream::async_open(const url& target, open_handler handler) {
    redirects_ = 0;
    open_step(target, std::move(handler));
}

void http_stream::open_step(const url& target, open_handler handler) {
    reset_for_open(target);
    error_code ec;
    if (!check_protocol(ec)) {
        redirects_ = 0;
        return post_result(std::move(handler), ec);
    }
    auto self = shared_from_this();
    async_establish_connection(
        transport_->socket(), resolver_, url_, proxy_, options_,
        [self, handler = std::move(handler)](error_code ec) mutable {
            const auto fail = [&self, &handler](const error_code& ec) {
                self->redirects_ = 0;
                handler(ec);
            };
            if (ec) return fail(ec);
            self->after_connect(ec);
            if (ec) return fail(ec);
            if (!self->transport_->is_tls()) return self->send_and_receive(std::move(handler));
            self->transport_->async_handshake([self, handler = std::move(handler)](const error_code& ec) mutable {
                if (ec) {
                    self->redirects_ = 0;
                    return handler(ec);
                }
                self->send_and_receive(std::move(handler));
            });
        });
}

// The request of an open, its head, and the redirect decision.
void http_stream::send_and_receive(open_handler handler) {
    request_buffer_ = compose_request(options_);
    auto self = shared_from_this();
    transport_->async_write(
        asio::buffer(request_buffer_), [self, handler = std::move(handler)](const error_code& ec, std::size_t) mutable {
            if (ec) {
                self->redirects_ = 0;
                return handler(ec);
            }
            self->async_receive_header([self, handler = std::move(handler)](const error_code& ec) mutable {
                if (self->redirect_pending()) {
                    error_code ignored;
                    self->close(ignored);
                    if (++self->redirects_ <= self->redirect_limit_) {
                        error_code parse_error;
                        const url next = self->redirect_target(parse_error);
                        if (!parse_error) return self->open_step(next, std::move(handler));
                        self->redirects_ = 0;
                        return handler(parse_error);
                    }
                }
                self->redirects_ = 0;
                handler(ec);
            });
        });
}

void http_stream::async_request(const request_opts& options, open_handler handler) {
    request_buffer_ = compose_request(options);
    auto self = shared_from_this();
    transport_->async_write(asio::buffer(request_buffer_),
                            [self, handler = std::move(handler)](const error_code& ec, std::size_t) mutable {
                                if (ec) return handler(ec);
                                self->async_receive_header(std::move(handler));
                            });
}

void http_stream::async_receive_header(open_handler handler) {
    return_read_ahead();
    head_->reset(post_request_);
    head_complete_ = false;
    error_code ec;
    if (take_buffered_head(ec)) return post_result(std::move(handler), ec);
    receive_step(std::move(handler));
}

void http_stream::receive_step(open_handler handler) {
    auto self = shared_from_this();
    transport_->async_read_some(asio::buffer(read_buffer_),
                                [self, handler = std::move(handler)](error_code ec, std::size_t count) mutable {
                                    if (ec == asio::error::eof) ec = self->head_->eof_error();
                                    if (ec) return handler(ec);
                                    self->response_buffer_.append(self->read_buffer_, count);
                                    if (self->take_buffered_head(ec)) return handler(ec);
                                    self->receive_step(std::move(handler));
                                });
}

void http_stream::async_read_some(const asio::mutable_buffer& buffer, read_handler handler) {
    error_code ec;
    if (buffer.size() == 0) return post_result(std::move(handler), ec, 0);
    bool finished = false;
    const std::size_t count = take_buffered_body(buffer, finished, ec);
    if (ec || count > 0) return post_result(std::move(handler), ec, count);
    if (finished) {
        end_of_body(ec);
        return post_result(std::move(handler), ec, 0);
    }
    if (chunked_) return chunked_read_step(buffer, std::move(handler));
    auto self = shared_from_this();
    if (buffer.size() >= body_read_ahead) {
        transport_->async_read_some(buffer, [self, handler = std::move(handler)](const error_code& ec, std::size_t count) {
            self->body_bytes_read_ += static_cast<std::int64_t>(count);
            handler(ec, count);
        });
        return;
    }
    if (!body_ahead_) body_ahead_ = std::make_unique<char[]>(body_read_ahead);
    transport_->async_read_some(
        asio::buffer(body_ahead_.get(), body_read_ahead),
        [self, buffer, handler = std::move(handler)](const error_code& ec, std::size_t count) {
            if (ec) return handler(ec, 0);
            self->ahead_begin_ = 0;
            self->ahead_end_ = count;
            const std::size_t taken = self->take_read_ahead(static_cast<char*>(buffer.data()), buffer.size());
            self->body_bytes_read_ += static_cast<std::int64_t>(taken);
            handler(ec, taken);
        });
}

void http_stream::chunked_read_step(const asio::mutable_buffer& buffer, read_handler handler) {
    auto self = shared_from_this();
    transport_->async_read_some(
        asio::buffer(read_buffer_), [self, buffer, handler = std::move(handler)](error_code ec, std::size_t read) mutable {
            if (ec == asio::error::eof && self->chunks_.last_chunk_seen()) {
                self->end_of_body(ec);
                return handler(ec, 0);
            }
            if (ec) return handler(ec, 0);
            self->response_buffer_.append(self->read_buffer_, read);
            bool finished = false;
            const std::size_t count = self->take_buffered_body(buffer, finished, ec);
            if (ec || count > 0) return handler(ec, count);
            if (finished) {
                self->end_of_body(ec);
                return handler(ec, 0);
            }
            self->chunked_read_step(buffer, std::move(handler));
        });
}

}  // namespace dlengine
