#pragma once
// One HTTP/1.1 client connection over a plain or TLS socket: opens a URL
// (connect, send the request, read the head, follow 301/302 redirects), hands
// out the body in pieces with chunked coding undone, can carry a further
// request when the connection is kept alive, and closes.
//
// Every operation has a blocking and an asynchronous form that behave alike.
// A stream is not thread-safe: call it only from the thread that runs its
// io_context (or, before that loop runs, from the thread that owns it). To
// close it from elsewhere, post close() to its io_context.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <boost/asio/buffer.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/system/error_code.hpp>

#include "download_engine/chunk_decoder.h"
#include "download_engine/cookie_jar.h"
#include "download_engine/proxy_settings.h"
#include "download_engine/request_opts.h"
#include "download_engine/url.h"

namespace dlengine {

class response_head_parser;
class transport;

class http_stream : public std::enable_shared_from_this<http_stream> {
public:
    using open_handler = std::function<void(const boost::system::error_code&)>;
    using read_handler = std::function<void(const boost::system::error_code&, std::size_t)>;

    static constexpr int default_redirect_limit = 5;

    explicit http_stream(boost::asio::io_context& io);
    ~http_stream();
    http_stream(const http_stream&) = delete;
    http_stream& operator=(const http_stream&) = delete;

    // Connects (directly or through the proxy, TLS for "https"), sends the
    // request built from the options of set_request_options() and reads the
    // response head, following up to redirect_limit() 301/302 answers.
    // Success for 200 and 206; another status is reported as its "HTTP"
    // error after the whole head was read, so headers and location() are
    // still available. A protocol other than "http" or "https" fails with
    // operation_not_supported.
    // Throws boost::system::system_error (invalid_redirect_address) when a
    // redirect to follow has no Location or one that does not parse; it is
    // the only exception the engine's operations raise.
    void open(const url& target, boost::system::error_code& ec);

    // The same as open(), except that an unparsable redirect location ends
    // the operation with invalid_redirect_address. The handler runs on a
    // thread running the io_context, never inside this call. The stream must
    // be owned by a std::shared_ptr; the operation keeps it alive until the
    // handler has run.
    void async_open(const url& target, open_handler handler);

    // Sends a further request on the open connection and reads its head.
    // "_url" in `options` (when not empty) becomes the stream's URL.
    // request_options() then tells what was sent. Result as for open(),
    // without redirects.
    void request(const request_opts& options, boost::system::error_code& ec);

    // The asynchronous request(). Handler and lifetime as for async_open().
    void async_request(const request_opts& options, open_handler handler);

    // Reads the response head of the request just sent; open() and request()
    // call it. Exposed for callers that write requests themselves.
    void receive_header(boost::system::error_code& ec);

    // The asynchronous receive_header(). Handler and lifetime as for
    // async_open().
    void async_receive_header(open_handler handler);

    // Reads at most buffer_size(buffer) body bytes. The end of the body is
    // reported as asio's end of file, or, on a kept-alive connection, as 0
    // bytes with no error once the last chunk or content_length() bytes were
    // read. For a 206 the content length is the file's total, not the
    // range's: a range reader stops by its own count.
    std::size_t read_some(const boost::asio::mutable_buffer& buffer, boost::system::error_code& ec);

    // The asynchronous read_some(). The bytes behind `buffer` must stay valid
    // until the handler has run; handler and stream lifetime as for
    // async_open().
    void async_read_some(const boost::asio::mutable_buffer& buffer, read_handler handler);

    // Closes the socket; pending asynchronous operations end with
    // operation_aborted. The stream can be opened again.
    void close(boost::system::error_code& ec);
    bool is_open() const;

    int status_code() const { return status_code_; }
    const std::string& content_type() const { return content_type_; }
    // From "Content-Length" or the total of "Content-Range", the larger of
    // the values in the last head; -1 when it had neither.
    std::int64_t content_length() const { return content_length_; }
    // The last "Location" received, made absolute; "" when none was.
    const std::string& location() const { return location_; }
    const url& current_url() const { return url_; }
    bool keep_alive() const { return keep_alive_; }
    // "_status_code" and every response header in arrival order.
    const request_opts& response_options() const { return response_options_; }
    // The last request as sent, defaults filled in.
    const request_opts& request_options() const { return sent_options_; }
    const cookie_jar& cookies() const { return cookies_; }

    // Headers and options of every request open() sends, redirects included.
    // A "_request_body" goes out as given: its "Content-Length" is the
    // owner's to add.
    void set_request_options(const request_opts& options) { options_ = options; }
    void set_proxy(const proxy_settings& proxy) { proxy_ = proxy; }
    // Verification of the server certificate on TLS: the chain must lead to
    // a trusted authority and the certificate must match the host name.
    // On by default.
    void set_check_certificate(bool check) { check_certificate_ = check; }
    // A PEM file of the authorities trusted instead of the system store.
    void set_ca_file(const std::string& path) { ca_file_ = path; }
    int redirect_limit() const { return redirect_limit_; }
    void set_redirect_limit(int limit) { redirect_limit_ = limit; }

private:
    void reset_for_open(const url& target);
    bool check_protocol(boost::system::error_code& ec) const;
    void after_connect(boost::system::error_code& ec);
    std::string compose_request(const request_opts& options);
    bool take_buffered_head(boost::system::error_code& ec);
    void apply_head(boost::system::error_code& ec);
    bool redirect_pending() const;
    url redirect_target(boost::system::error_code& ec) const;
    std::size_t take_buffered_body(const boost::asio::mutable_buffer& buffer, bool& finished,
                                   boost::system::error_code& ec);
    void end_of_body(boost::system::error_code& ec) const;

    void open_step(const url& target, open_handler handler);
    void send_and_receive(open_handler handler);
    void receive_step(open_handler handler);
    void chunked_read_step(const boost::asio::mutable_buffer& buffer, read_handler handler);
    void post_result(open_handler handler, const boost::system::error_code& ec);
    void post_result(read_handler handler, const boost::system::error_code& ec, std::size_t count);

    static constexpr std::size_t read_ahead = 4096;
    // Body bytes are read from the socket this many at a time and handed out
    // in the caller's smaller pieces, saving a system call per piece.
    static constexpr std::size_t body_read_ahead = 64 * 1024;

    std::size_t take_read_ahead(char* out, std::size_t size);
    void return_read_ahead();

    boost::asio::io_context& io_;
    boost::asio::ip::tcp::resolver resolver_;
    std::unique_ptr<transport> transport_;
    url url_;
    request_opts options_;       // as set by the owner; used by every open
    request_opts sent_options_;  // the last request, as sent
    request_opts response_options_;
    proxy_settings proxy_;
    bool check_certificate_ = true;
    std::string ca_file_;
    bool keep_alive_ = true;
    bool post_request_ = false;
    int status_code_ = 0;
    bool head_complete_ = false;
    bool head_had_location_ = false;
    int redirects_ = 0;
    int redirect_limit_ = default_redirect_limit;
    std::string content_type_;
    std::int64_t content_length_ = -1;
    std::int64_t body_bytes_read_ = 0;
    std::string location_;
    std::string request_buffer_;   // bytes of the request being written
    std::string response_buffer_;  // bytes read but not yet handed out
    char read_buffer_[read_ahead];
    std::unique_ptr<char[]> body_ahead_;  // body bytes read ahead: [ahead_begin_, ahead_end_)
    std::size_t ahead_begin_ = 0;
    std::size_t ahead_end_ = 0;
    bool chunked_ = false;
    chunk_decoder chunks_;
    std::unique_ptr<response_head_parser> head_;
    cookie_jar cookies_;
};

}  // namespace dlengine
