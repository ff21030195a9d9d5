#pragma once
// The byte stream under an http_stream: a TCP socket, wrapped in TLS 1.2
// once start_tls() was called. The socket is connected (and any proxy
// handshake done) on the plain socket first, so the tunnel and the TLS layer
// stack the same way for every proxy type.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <boost/asio/buffer.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/system/error_code.hpp>

namespace dlengine {

// How a TLS connection judges the server.
struct tls_options {
    bool verify = true;   // chain to a trusted authority and a name that matches the host
    std::string ca_file;  // PEM authorities trusted instead of the system store; "" for the store
};

class transport {
public:
    using handler = std::function<void(const boost::system::error_code&)>;
    using io_handler = std::function<void(const boost::system::error_code&, std::size_t)>;

    explicit transport(boost::asio::io_context& io);

    // The TCP socket, below TLS when it is on.
    boost::asio::ip::tcp::socket& socket();

    // Wraps the connected socket in a TLS 1.2 client for `host` (server name
    // and, with verification, the host-name check of RFC 2818). The handshake
    // is separate.
    void start_tls(const std::string& host, const tls_options& options, boost::system::error_code& ec);
    bool is_tls() const { return tls_ != nullptr; }

    void handshake(boost::system::error_code& ec);
    // The handler runs on the io_context; the transport must outlive it.
    void async_handshake(handler done);

    // A TLS peer that closes without a close_notify ends its data like a
    // plain one: both report asio's end of file.
    std::size_t read_some(const boost::asio::mutable_buffer& buffer, boost::system::error_code& ec);
    // The handler runs on the io_context; the transport and the bytes behind
    // `buffer` must outlive it.
    void async_read_some(const boost::asio::mutable_buffer& buffer, io_handler done);

    // Writes all of `bytes`.
    void write(const boost::asio::const_buffer& bytes, boost::system::error_code& ec);
    // The handler runs on the io_context; the transport and the bytes must
    // outlive it.
    void async_write(const boost::asio::const_buffer& bytes, io_handler done);

    // Closes the TCP socket (no TLS shutdown); pending operations end with
    // operation_aborted. The next connection starts plain again.
    void close(boost::system::error_code& ec);
    bool is_open() const;

private:
    using tls_stream = boost::asio::ssl::stream<boost::asio::ip::tcp::socket>;

    // A TLS layer is never destroyed before the transport: an operation
    // aborted by close() still touches it when its handler is called.
    struct tls_layer {
        std::unique_ptr<boost::asio::ssl::context> context;
        std::unique_ptr<tls_stream> stream;
    };

    boost::asio::ip::tcp::socket socket_;
    std::vector<tls_layer> tls_layers_;
    tls_stream* tls_ = nullptr;  // the active layer, or none
};

}  // namespace dlengine
