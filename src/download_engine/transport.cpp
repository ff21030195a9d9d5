#include "download_engine/transport.h"

#include <utility>

#include <boost/asio/read.hpp>
#include <boost/asio/ssl/error.hpp>
#include <boost/asio/ssl/host_name_verification.hpp>
#include <boost/asio/write.hpp>

namespace dlengine {

namespace ssl = boost::asio::ssl;

namespace {

boost::system::error_code end_of_data(const boost::system::error_code& ec) {
    if (ec == ssl::error::stream_truncated) return boost::asio::error::eof;
    return ec;
}

}  // namespace

transport::transport(boost::asio::io_context& io) : socket_(io) {}

boost::asio::ip::tcp::socket& transport::socket() { return tls_ ? tls_->next_layer() : socket_; }

void transport::start_tls(const std::string& host, const tls_options& options, boost::system::error_code& ec) {
    auto context = std::make_unique<ssl::context>(ssl::context::tlsv12_client);
    context->set_options(ssl::context::default_workarounds | ssl::context::no_compression, ec);
    if (ec) return;
    if (options.verify) {
        if (options.ca_file.empty()) {
            context->set_default_verify_paths(ec);
        } else {
            context->load_verify_file(options.ca_file, ec);
        }
        if (ec) return;
        context->set_verify_mode(ssl::verify_peer, ec);
    } else {
        context->set_verify_mode(ssl::verify_none, ec);
    }
    if (ec) return;

    auto stream = std::make_unique<tls_stream>(std::move(socket_), *context);
    tls_ = stream.get();
    tls_layers_.push_back({std::move(context), std::move(stream)});
    if (!SSL_set_tlsext_host_name(tls_->native_handle(), host.c_str())) {
        ec = boost::system::error_code(static_cast<int>(ERR_get_error()), boost::asio::error::get_ssl_category());
        return;
    }
    if (options.verify) tls_->set_verify_callback(ssl::host_name_verification(host), ec);
}

void transport::handshake(boost::system::error_code& ec) {
    tls_->handshake(ssl::stream_base::client, ec);
}

void transport::async_handshake(handler done) {
    tls_->async_handshake(ssl::stream_base::client, std::move(done));
}

std::size_t transport::read_some(const boost::asio::mutable_buffer& buffer, boost::system::error_code& ec) {
    const std::size_t count = tls_ ? tls_->read_some(buffer, ec) : socket_.read_some(buffer, ec);
    ec = end_of_data(ec);
    return count;
}

void transport::async_read_some(const boost::asio::mutable_buffer& buffer, io_handler done) {
    auto finish = [done = std::move(done)](const boost::system::error_code& ec, std::size_t count) {
        done(end_of_data(ec), count);
    };
    if (tls_) {
        tls_->async_read_some(buffer, std::move(finish));
    } else {
        socket_.async_read_some(buffer, std::move(finish));
    }
}

void transport::write(const boost::asio::const_buffer& bytes, boost::system::error_code& ec) {
    if (tls_) {
        boost::asio::write(*tls_, bytes, ec);
    } else {
        boost::asio::write(socket_, bytes, ec);
    }
}

void transport::async_write(const boost::asio::const_buffer& bytes, io_handler done) {
    if (tls_) {
        boost::asio::async_write(*tls_, bytes, std::move(done));
    } else {
        boost::asio::async_write(socket_, bytes, std::move(done));
    }
}

void transport::close(boost::system::error_code& ec) {
    ec.clear();
    boost::asio::ip::tcp::socket& open_socket = socket();
    tls_ = nullptr;
    if (open_socket.is_open()) open_socket.close(ec);
}

bool transport::is_open() const { return tls_ ? tls_->next_layer().is_open() : socket_.is_open(); }

}  // namespace dlengine
