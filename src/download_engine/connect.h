#pragma once
// Connection set-up below an http_stream: resolve, try each address in
// order, and run the proxy's handshake (SOCKS 4, SOCKS 5, or an HTTP CONNECT
// tunnel for "https" targets). TLS is layered on top by the caller.

#include <functional>
#include <string>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/system/error_code.hpp>

#include "download_engine/proxy_settings.h"
#include "download_engine/request_opts.h"
#include "download_engine/url.h"

namespace dlengine {

using connect_handler = std::function<void(const boost::system::error_code&)>;

// Connects to the first endpoint that accepts, closing the socket after each
// failure. With no endpoint left the last error stands; an empty list gives
// host_not_found.
void connect_endpoints(boost::asio::ip::tcp::socket& socket,
                       const std::vector<boost::asio::ip::tcp::endpoint>& endpoints,
                       boost::system::error_code& ec);

// The asynchronous connect_endpoints(). The handler runs on the socket's
// io_context; the socket must outlive the operation.
void async_connect_endpoints(boost::asio::ip::tcp::socket& socket,
                             std::vector<boost::asio::ip::tcp::endpoint> endpoints, connect_handler handler);

// Leaves `socket` connected to `target` directly or through `proxy`, ready
// for the request (or for TLS when `target` is "https"). `options` give the
// Accept and User-Agent values of a CONNECT request. A proxy type outside
// 0..5 gives operation_not_supported.
void establish_connection(boost::asio::ip::tcp::socket& socket, boost::asio::ip::tcp::resolver& resolver,
                          const url& target, const proxy_settings& proxy, const request_opts& options,
                          boost::system::error_code& ec);

// The asynchronous establish_connection(). The handler runs on the socket's
// io_context; the socket and the resolver must outlive the operation, the
// other arguments are copied.
void async_establish_connection(boost::asio::ip::tcp::socket& socket, boost::asio::ip::tcp::resolver& resolver,
                                const url& target, const proxy_settings& proxy, const request_opts& options,
                                connect_handler handler);

}  // namespace dlengine
