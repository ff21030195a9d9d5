#include "download_engine/connect.h"

#include <array>
#include <memory>
#include <utility>

#include <boost/asio/error.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>

#include "download_engine/http_error.h"
#include "download_engine/http_proxy.h"
#include "download_engine/response_head_parser.h"
#include "download_engine/socks_proxy.h"

namespace dlengine {

namespace asio = boost::asio;
using boost::system::error_code;
using tcp = asio::ip::tcp;

namespace {

// Where the TCP connection goes: the proxy when there is one, else the server.
bool first_hop(const url& target, const proxy_settings& proxy, std::string& host, std::string& port,
               error_code& ec) {
    switch (proxy.type) {
    case proxy_type::none:
        host = target.host();
        port = std::to_string(target.port());
        return true;
    case proxy_type::socks4:
    case proxy_type::socks5:
    case proxy_type::socks5_password:
    case proxy_type::http:
    case proxy_type::http_password:
        host = proxy.hostname;
        port = std::to_string(proxy.port);
        return true;
    }
    ec = asio::error::operation_not_supported;
    return false;
}

std::vector<tcp::endpoint> endpoints_of(const tcp::resolver::results_type& results) {
    std::vector<tcp::endpoint> endpoints;
    for (const auto& entry : results) endpoints.push_back(entry.endpoint());
    return endpoints;
}

bool needs_tunnel(const url& target, const proxy_settings& proxy) {
    return is_http_proxy(proxy) && target.protocol() == "https";
}

bool is_socks(const proxy_settings& proxy) {
    return proxy.type == proxy_type::socks4 || proxy.type == proxy_type::socks5 ||
           proxy.type == proxy_type::socks5_password;
}

// The first IPv4 address of the target, which a SOCKS 4 request carries.
error_code first_ipv4(const tcp::resolver::results_type& results, asio::ip::address_v4& address) {
    for (const auto& entry : results) {
        if (entry.endpoint().address().is_v4()) {
            address = entry.endpoint().address().to_v4();
            return {};
        }
    }
    return asio::error::host_not_found;
}

error_code tunnel_answer_error(const response_head_parser& head) {
    if (head.status() != 200) return make_status_error(head.status());
    return {};
}

}  // namespace

void connect_endpoints(tcp::socket& socket, const std::vector<tcp::endpoint>& endpoints, error_code& ec) {
    ec = asio::error::host_not_found;
    for (const tcp::endpoint& endpoint : endpoints) {
        error_code ignored;
        socket.close(ignored);
        socket.connect(endpoint, ec);
        if (!ec) return;
    }
    error_code ignored;
    socket.close(ignored);
}

namespace {

class endpoint_connector : public std::enable_shared_from_this<endpoint_connector> {
public:
    endpoint_connector(tcp::socket& socket, std::vector<tcp::endpoint> endpoints, connect_handler handler)
        : socket_(socket), endpoints_(std::move(endpoints)), handler_(std::move(handler)) {}

    void next(const error_code& last) {
        error_code ignored;
        socket_.close(ignored);
        if (index_ == endpoints_.size()) {
            handler_(last);
            return;
        }
        socket_.async_connect(endpoints_[index_++], [self = shared_from_this()](const error_code& ec) {
            if (ec == asio::error::operation_aborted) {
                self->handler_(ec);
            } else if (ec) {
                self->next(ec);
            } else {
                self->handler_(ec);
            }
        });
    }

private:
    tcp::socket& socket_;
    std::vector<tcp::endpoint> endpoints_;
    std::size_t index_ = 0;
    connect_handler handler_;
};

}  // namespace

void async_connect_endpoints(tcp::socket& socket, std::vector<tcp::endpoint> endpoints, connect_handler handler) {
    if (endpoints.empty()) {
        asio::post(socket.get_executor(), [handler = std::move(handler)]() { handler(asio::error::host_not_found); });
        return;
    }
    std::make_shared<endpoint_connector>(socket, std::move(endpoints), std::move(handler))->next({});
}

// ---- blocking set-up ---------------------------------------------------

namespace {

template <std::size_t N>
bool read_exactly(tcp::socket& socket, std::array<std::uint8_t, N>& bytes, std::size_t count, error_code& ec) {
    asio::read(socket, asio::buffer(bytes.data(), count), ec);
    return !ec;
}

bool send(tcp::socket& socket, const std::string& bytes, error_code& ec) {
    asio::write(socket, asio::buffer(bytes), ec);
    return !ec;
}

void socks4_handshake(tcp::socket& socket, tcp::resolver& resolver, const url& target,
                      const proxy_settings& proxy, error_code& ec) {
    const auto results = resolver.resolve(tcp::v4(), target.host(), std::to_string(target.port()), ec);
    if (ec) return;
    asio::ip::address_v4 address;
    if ((ec = first_ipv4(results, address))) return;
    if (!send(socket, socks::socks4_connect_request(address, target.port(), proxy.username), ec)) return;
    std::array<std::uint8_t, socks::socks4_reply_size> reply{};
    if (!read_exactly(socket, reply, reply.size(), ec)) return;
    ec = socks::socks4_reply_error(reply);
}

void socks5_handshake(tcp::socket& socket, const url& target, const proxy_settings& proxy, error_code& ec) {
    if (!send(socket, socks::socks5_greeting(proxy.type == proxy_type::socks5_password), ec)) return;
    std::array<std::uint8_t, socks::socks5_method_reply_size> method_reply{};
    if (!read_exactly(socket, method_reply, method_reply.size(), ec)) return;
    socks::socks5_method method;
    if ((ec = socks::socks5_method_reply(method_reply, method))) return;
    if (method == socks::socks5_method::password) {
        const std::string request = socks::socks5_password_request(proxy.username, proxy.password, ec);
        if (ec || !send(socket, request, ec)) return;
        std::array<std::uint8_t, socks::socks5_password_reply_size> reply{};
        if (!read_exactly(socket, reply, reply.size(), ec)) return;
        if ((ec = socks::socks5_password_reply_error(reply))) return;
    }
    const std::string request = socks::socks5_connect_request(target.host(), target.port(), ec);
    if (ec || !send(socket, request, ec)) return;
    std::array<std::uint8_t, socks::socks5_reply_head_size> head{};
    if (!read_exactly(socket, head, head.size(), ec)) return;
    std::size_t rest = 0;
    if ((ec = socks::socks5_reply_error(head, rest))) return;
    std::array<std::uint8_t, 258> bound{};
    if (!read_exactly(socket, bound, rest, ec)) return;
    if (head[3] == 3) read_exactly(socket, bound, socks::socks5_name_reply_rest(bound[0]), ec);
}

void tunnel_handshake(tcp::socket& socket, const url& target, const proxy_settings& proxy,
                      const request_opts& options, error_code& ec) {
    if (!send(socket, connect_request(target, proxy, options), ec)) return;
    response_head_parser head;
    // One byte at a time: the proxy's answer must not be read past, the
    // bytes after it belong to the TLS layer.
    char byte = 0;
    while (!head.done()) {
        asio::read(socket, asio::buffer(&byte, 1), ec);
        if (ec == asio::error::eof) ec = head.eof_error();
        if (ec) return;
        head.feed(&byte, 1, ec);
        if (ec) return;
    }
    ec = tunnel_answer_error(head);
}

}  // namespace

void establish_connection(tcp::socket& socket, tcp::resolver& resolver, const url& target,
                          const proxy_settings& proxy, const request_opts& options, error_code& ec) {
    ec.clear();
    std::string host, port;
    if (!first_hop(target, proxy, host, port, ec)) return;
    const auto results = resolver.resolve(host, port, ec);
    if (ec) return;
    connect_endpoints(socket, endpoints_of(results), ec);
    if (ec) return;
    if (proxy.type == proxy_type::socks4) {
        socks4_handshake(socket, resolver, target, proxy, ec);
    } else if (is_socks(proxy)) {
        socks5_handshake(socket, target, proxy, ec);
    } else if (needs_tunnel(target, proxy)) {
        tunnel_handshake(socket, target, proxy, options, ec);
    }
}

// ---- asynchronous set-up -----------------------------------------------

namespace {

// One set-up in flight. Each step names the next one; any error ends the
// chain with the handler.
class connection_setup : public std::enable_shared_from_this<connection_setup> {
public:
    connection_setup(tcp::socket& socket, tcp::resolver& resolver, const url& target, const proxy_settings& proxy,
                     const request_opts& options, connect_handler handler)
        : socket_(socket),
          resolver_(resolver),
          target_(target),
          proxy_(proxy),
          options_(options),
          handler_(std::move(handler)) {}

    void start() {
        std::string host, port;
        error_code ec;
        if (!first_hop(target_, proxy_, host, port, ec)) return post_finish(ec);
        resolver_.async_resolve(host, port, [self = shared_from_this()](const error_code& ec,
                                                                        tcp::resolver::results_type results) {
            if (ec) return self->finish(ec);
            async_connect_endpoints(self->socket_, endpoints_of(results),
                                    [self](const error_code& ec) { self->connected(ec); });
        });
    }

private:
    void post_finish(const error_code& ec) {
        asio::post(socket_.get_executor(), [self = shared_from_this(), ec]() { self->finish(ec); });
    }

    void finish(const error_code& ec) { handler_(ec); }

    void connected(const error_code& ec) {
        if (ec) return finish(ec);
        if (proxy_.type == proxy_type::socks4) return socks4_resolve();
        if (is_socks(proxy_)) return socks5_greet();
        if (needs_tunnel(target_, proxy_)) return tunnel_send();
        finish({});
    }

    // Sends `message_` and continues with `next` once it is written.
    template <typename Next>
    void send_then(std::string message, Next next) {
        message_ = std::move(message);
        asio::async_write(socket_, asio::buffer(message_),
                          [self = shared_from_this(), next](const error_code& ec, std::size_t) {
                              if (ec) return self->finish(ec);
                              next(self.get());
                          });
    }

    // Reads `count` bytes into `reply_` and continues with `next`.
    template <typename Next>
    void read_then(std::size_t count, Next next) {
        asio::async_read(socket_, asio::buffer(reply_.data(), count),
                         [self = shared_from_this(), next](const error_code& ec, std::size_t) {
                             if (ec) return self->finish(ec);
                             next(self.get());
                         });
    }

    template <std::size_t N>
    std::array<std::uint8_t, N> reply_head() const {
        std::array<std::uint8_t, N> head{};
        std::copy(reply_.begin(), reply_.begin() + N, head.begin());
        return head;
    }

    void socks4_resolve() {
        resolver_.async_resolve(tcp::v4(), target_.host(), std::to_string(target_.port()),
                                [self = shared_from_this()](const error_code& ec,
                                                            tcp::resolver::results_type results) {
                                    if (ec) return self->finish(ec);
                                    asio::ip::address_v4 address;
                                    if (error_code failed = first_ipv4(results, address)) return self->finish(failed);
                                    self->socks4_connect(address);
                                });
    }

    void socks4_connect(const asio::ip::address_v4& address) {
        send_then(socks::socks4_connect_request(address, target_.port(), proxy_.username), [](connection_setup* setup) {
            setup->read_then(socks::socks4_reply_size, [](connection_setup* setup) {
                setup->finish(socks::socks4_reply_error(setup->reply_head<socks::socks4_reply_size>()));
            });
        });
    }

    void socks5_greet() {
        send_then(socks::socks5_greeting(proxy_.type == proxy_type::socks5_password), [](connection_setup* setup) {
            setup->read_then(socks::socks5_method_reply_size, [](connection_setup* setup) { setup->socks5_method(); });
        });
    }

    void socks5_method() {
        socks::socks5_method method;
        if (error_code ec = socks::socks5_method_reply(reply_head<socks::socks5_method_reply_size>(), method)) {
            return finish(ec);
        }
        if (method == socks::socks5_method::none) return socks5_connect();
        error_code ec;
        std::string request = socks::socks5_password_request(proxy_.username, proxy_.password, ec);
        if (ec) return finish(ec);
        send_then(std::move(request), [](connection_setup* setup) {
            setup->read_then(socks::socks5_password_reply_size, [](connection_setup* setup) {
                if (error_code ec = socks::socks5_password_reply_error(
                        setup->reply_head<socks::socks5_password_reply_size>())) {
                    return setup->finish(ec);
                }
                setup->socks5_connect();
            });
        });
    }

    void socks5_connect() {
        error_code ec;
        std::string request = socks::socks5_connect_request(target_.host(), target_.port(), ec);
        if (ec) return finish(ec);
        send_then(std::move(request), [](connection_setup* setup) {
            setup->read_then(socks::socks5_reply_head_size, [](connection_setup* setup) { setup->socks5_reply(); });
        });
    }

    void socks5_reply() {
        const auto head = reply_head<socks::socks5_reply_head_size>();
        std::size_t rest = 0;
        if (error_code ec = socks::socks5_reply_error(head, rest)) return finish(ec);
        const bool named = head[3] == 3;
        read_then(rest, [named](connection_setup* setup) {
            if (!named) return setup->finish({});
            setup->read_then(socks::socks5_name_reply_rest(setup->reply_[0]),
                             [](connection_setup* setup) { setup->finish({}); });
        });
    }

    void tunnel_send() {
        send_then(connect_request(target_, proxy_, options_), [](connection_setup* setup) { setup->tunnel_read(); });
    }

    // One byte at a time, so nothing past the proxy's answer is consumed.
    void tunnel_read() {
        asio::async_read(socket_, asio::buffer(reply_.data(), 1),
                         [self = shared_from_this()](error_code ec, std::size_t) {
                             if (ec == asio::error::eof) ec = self->head_.eof_error();
                             if (ec) return self->finish(ec);
                             self->head_.feed(reinterpret_cast<const char*>(self->reply_.data()), 1, ec);
                             if (ec) return self->finish(ec);
                             if (!self->head_.done()) return self->tunnel_read();
                             self->finish(tunnel_answer_error(self->head_));
                         });
    }

    tcp::socket& socket_;
    tcp::resolver& resolver_;
    url target_;
    proxy_settings proxy_;
    request_opts options_;
    connect_handler handler_;
    std::string message_;
    std::array<std::uint8_t, 258> reply_{};
    response_head_parser head_;
};

}  // namespace

void async_establish_connection(tcp::socket& socket, tcp::resolver& resolver, const url& target,
                                const proxy_settings& proxy, const request_opts& options, connect_handler handler) {
    std::make_shared<connection_setup>(socket, resolver, target, proxy, options, std::move(handler))->start();
}

}  // namespace dlengine
