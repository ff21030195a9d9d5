// Connection attempts over several addresses, blocking and asynchronous.
#include "download_engine/connect.h"

#include <gtest/gtest.h>

#include <boost/asio/error.hpp>
#include <boost/asio/io_context.hpp>

#include "support/FaultServer.h"

namespace dlengine {
namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

tcp::endpoint Loopback(const char* address, unsigned short port) {
    return tcp::endpoint(asio::ip::make_address(address), port);
}

// A port on which nothing listens, on any loopback address.
unsigned short ClosedPort() {
    FaultServer gone(fault::Always(""));
    return gone.port();
}

class ConnectEndpointsTest : public ::testing::TestWithParam<bool> {
protected:
    error_code Connect(tcp::socket& socket, const std::vector<tcp::endpoint>& endpoints) {
        error_code result;
        if (!GetParam()) {
            connect_endpoints(socket, endpoints, result);
            return result;
        }
        bool done = false;
        async_connect_endpoints(socket, endpoints, [&](const error_code& ec) {
            result = ec;
            done = true;
        });
        io_.run_for(std::chrono::seconds(20));
        EXPECT_TRUE(done);
        return result;
    }

    asio::io_context io_;
};

// What a host name with several addresses resolves to, the listening one last:
// the server listens on 127.0.0.1 only, so 127.0.0.2 refuses.
TEST_P(ConnectEndpointsTest, TheLastAddressThatAcceptsIsUsed) {
    FaultServer server(fault::Always(fault::Ok("x")));
    const unsigned short closed = ClosedPort();
    tcp::socket socket(io_);
    const error_code ec = Connect(socket, {Loopback("127.0.0.2", server.port()), Loopback("127.0.0.1", closed),
                                           Loopback("127.0.0.1", server.port())});
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_EQ(socket.remote_endpoint(), Loopback("127.0.0.1", server.port()));
}

TEST_P(ConnectEndpointsTest, WhenNoneAcceptsTheLastErrorStands) {
    tcp::socket socket(io_);
    const unsigned short closed = ClosedPort();
    EXPECT_EQ(Connect(socket, {Loopback("127.0.0.2", closed), Loopback("127.0.0.1", closed)}),
              asio::error::connection_refused);
    EXPECT_FALSE(socket.is_open());
}

TEST_P(ConnectEndpointsTest, NoAddressIsHostNotFound) {
    tcp::socket socket(io_);
    EXPECT_EQ(Connect(socket, {}), asio::error::host_not_found);
}

INSTANTIATE_TEST_SUITE_P(Forms, ConnectEndpointsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Async" : "Blocking"; });

}  // namespace
}  // namespace dlengine
