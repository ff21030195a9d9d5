// http_stream against the scripted fault server: heads, redirects, bodies,
// keep-alive and faults, each in the blocking and the asynchronous form.
#include "download_engine/http_stream.h"

#include <gtest/gtest.h>

#include <atomic>

#include <boost/asio/error.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/system/system_error.hpp>

#include "download_engine/http_error.h"
#include "download_engine/StreamTestSupport.h"
#include "support/FaultServer.h"

namespace dlengine {
namespace {

using boost::system::error_code;
namespace asio = boost::asio;

std::string TargetOf(const std::string& rawRequest) {
    const auto first = rawRequest.find(' ');
    return rawRequest.substr(first + 1, rawRequest.find(' ', first + 1) - first - 1);
}

// A redirect chain /r0 -> /r1 -> ... -> /r<hops>, which answers 200.
FaultHandler RedirectChain(int hops) {
    return [hops](const FaultRequest& request, FaultConnection& connection) {
        const int index = std::stoi(request.target.substr(2));
        if (index < hops) {
            connection.Send(fault::Redirect(302, "http://" + *request.Header("Host") + "/r" + std::to_string(index + 1)));
        } else {
            connection.Send(fault::Ok("final"));
        }
        connection.Close();
    };
}

class HttpStreamTest : public ::testing::TestWithParam<Mode> {
protected:
    StreamDriver driver_{GetParam()};
    http_stream& stream_ = driver_.stream();
};

TEST_P(HttpStreamTest, FiveRedirectsOpenTheSixthUrl) {
    FaultServer server(RedirectChain(5));
    EXPECT_FALSE(driver_.Open(server.Url("/r0")));
    EXPECT_EQ(stream_.status_code(), 200);
    EXPECT_EQ(stream_.location(), server.Url("/r5"));
    EXPECT_EQ(stream_.current_url().to_string(), server.Url("/r5"));
    EXPECT_EQ(driver_.ReadAll().body, "final");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(TargetOf(requests[5]), "/r5");
}

TEST_P(HttpStreamTest, ASixthRedirectEndsTheOpenWithFound) {
    FaultServer server(RedirectChain(6));
    const error_code ec = driver_.Open(server.Url("/r0"));
    EXPECT_EQ(ec, http_error::found);
    EXPECT_EQ(ec.message(), "Found");
    EXPECT_EQ(stream_.location(), server.Url("/r6"));
    EXPECT_EQ(server.Requests().size(), 6u);
}

TEST_P(HttpStreamTest, RedirectLimitZeroReportsTheFirstRedirect) {
    FaultServer server(RedirectChain(1));
    stream_.set_redirect_limit(0);
    EXPECT_EQ(driver_.Open(server.Url("/r0")), http_error::found);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_P(HttpStreamTest, MovedPermanentlyIsFollowedOtherRedirectsAreNot) {
    FaultServer server(fault::Sequence({fault::Redirect(301, "b"), fault::Redirect(307, "c")}));
    EXPECT_EQ(driver_.Open(server.Url("/a")), http_error::temporary_redirect);
    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(stream_.location(), server.Url("/c"));
}

struct LocationCase {
    const char* path;
    const char* location;
    const char* next_target;
};

class RedirectLocationTest : public ::testing::TestWithParam<std::tuple<Mode, LocationCase>> {};

TEST_P(RedirectLocationTest, RelativeLocationsAreAppendedAfterTheLastSlash) {
    const LocationCase& c = std::get<1>(GetParam());
    FaultServer server(fault::Sequence({fault::Redirect(302, c.location), fault::Ok("x")}));
    StreamDriver driver(std::get<0>(GetParam()));
    EXPECT_FALSE(driver.Open(server.Url(c.path)));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(TargetOf(requests[1]), c.next_target);
    EXPECT_EQ(driver.stream().location(), server.Url(c.next_target));
}

INSTANTIATE_TEST_SUITE_P(
    Locations, RedirectLocationTest,
    ::testing::Combine(::testing::Values(Mode::kBlocking, Mode::kAsync),
                       ::testing::Values(LocationCase{"/dir/file.bin", "other.bin", "/dir/other.bin"},
                                         LocationCase{"/dir/file.bin", "/root.bin", "/dir//root.bin"},
                                         LocationCase{"/dir/sub/", "x?y=1", "/dir/sub/x?y=1"},
                                         LocationCase{"/file.bin?q=a/b", "next", "/file.bin?q=a/next"})));

TEST_P(HttpStreamTest, AnAbsoluteLocationMayNameAnotherServer) {
    FaultServer target(fault::Always(fault::Ok("there")));
    FaultServer first(fault::Always(fault::Redirect(302, target.Url("/moved.bin"))));
    EXPECT_FALSE(driver_.Open(first.Url("/a")));
    EXPECT_EQ(driver_.ReadAll().body, "there");
    ASSERT_EQ(target.Requests().size(), 1u);
    EXPECT_NE(target.Requests()[0].find("Host: 127.0.0.1:" + std::to_string(target.port()) + "\r\n"),
              std::string::npos);
}

TEST(HttpStreamRedirectTest, AnUnparsableLocationIsRaisedByTheBlockingOpen) {
    FaultServer server(fault::Always(fault::Redirect(302, "http://127.0.0.1:port/x")));
    StreamDriver driver(Mode::kBlocking);
    try {
        driver.Open(server.Url("/a"));
        FAIL() << "no exception";
    } catch (const boost::system::system_error& error) {
        EXPECT_EQ(error.code(), http_error::invalid_redirect_address);
    }
}

TEST(HttpStreamRedirectTest, AnUnparsableLocationEndsTheAsynchronousOpen) {
    FaultServer server(fault::Always(fault::Redirect(302, "http://127.0.0.1:port/x")));
    StreamDriver driver(Mode::kAsync);
    EXPECT_EQ(driver.Open(server.Url("/a")), http_error::invalid_redirect_address);
}

TEST_P(HttpStreamTest, ContentRangeWithoutContentLengthGivesTheTotal) {
    FaultServer server(fault::Always(fault::Response(206, "Partial Content", {{"Content-Range", "bytes 0-99/1000"}},
                                                     std::string(100, 'r'))));
    EXPECT_FALSE(driver_.Open(server.Url("/f")));
    EXPECT_EQ(stream_.content_length(), 1000);
    EXPECT_EQ(stream_.response_options().find("_status_code"), std::optional<std::string>("206"));
}

TEST_P(HttpStreamTest, TwoContentLengthsKeepTheLarger) {
    for (const auto& lengths : {std::make_pair("10", "20"), std::make_pair("20", "10")}) {
        FaultServer server(fault::Always(fault::Response(
            200, "OK", {{"Content-Length", lengths.first}, {"Content-Length", lengths.second}}, "0123456789")));
        StreamDriver driver(GetParam());
        EXPECT_FALSE(driver.Open(server.Url("/f")));
        EXPECT_EQ(driver.stream().content_length(), 20);
    }
}

TEST_P(HttpStreamTest, AContentLengthThatIsNoNumberIsMalformed) {
    FaultServer server(fault::Always(fault::Response(200, "OK", {{"Content-Length", "12abc"}}, "x")));
    EXPECT_EQ(driver_.Open(server.Url("/f")), http_error::malformed_response_headers);
}

TEST_P(HttpStreamTest, AnErrorStatusStillReadsTheWholeHead) {
    FaultServer server(fault::Always(fault::Response(
        404, "Not Found", {{"Content-Type", "text/plain"}, {"X-Reason", "gone"}, {"Content-Length", "0"}})));
    const error_code ec = driver_.Open(server.Url("/missing"));
    EXPECT_EQ(ec, http_error::not_found);
    EXPECT_EQ(&ec.category(), &http_category());
    EXPECT_EQ(stream_.status_code(), 404);
    EXPECT_EQ(stream_.content_type(), "text/plain");
    EXPECT_EQ(stream_.response_options().items(),
              (request_opts::list_type{{"_status_code", "404"},
                                       {"Content-Type", "text/plain"},
                                       {"X-Reason", "gone"},
                                       {"Content-Length", "0"}}));
}

TEST_P(HttpStreamTest, ChunkedBodyReadsItsBytesThenEndOfFile) {
    FaultServer server(fault::Always(
        fault::Response(200, "OK", {{"Transfer-Encoding", "chunked"}}, "5\r\nhello\r\n0\r\n\r\n")));
    ASSERT_FALSE(driver_.Open(server.Url("/c")));
    const ReadResult result = driver_.ReadAll(64);
    EXPECT_EQ(result.body, "hello");
    EXPECT_EQ(result.error, asio::error::eof);
}

TEST_P(HttpStreamTest, ChunkedBodyOnAKeptAliveConnectionEndsWithZeroBytes) {
    FaultServer server([](const FaultRequest&, FaultConnection& connection) {
        connection.Send(fault::Response(200, "OK", {{"Transfer-Encoding", "chunked"}}, "5\r\nhello\r\n0\r\n\r\n"));
    });
    request_opts options;
    options.insert("Connection", "keep-alive");
    stream_.set_request_options(options);
    ASSERT_FALSE(driver_.Open(server.Url("/c")));
    ReadResult result = driver_.ReadAll(3);
    EXPECT_EQ(result.body, "hello");
    EXPECT_FALSE(result.error);
    // The trailer section was consumed with the body: the next head parses.
    ASSERT_FALSE(driver_.Request(options));
    result = driver_.ReadAll(64);
    EXPECT_EQ(result.body, "hello");
    EXPECT_FALSE(result.error);
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

TEST_P(HttpStreamTest, ABrokenChunkLineFailsTheRead) {
    FaultServer server(fault::Always(
        fault::Response(200, "OK", {{"Transfer-Encoding", "chunked"}}, "5\r\nhello\r\nnot-hex\r\n")));
    ASSERT_FALSE(driver_.Open(server.Url("/c")));
    const ReadResult result = driver_.ReadAll(64);
    EXPECT_EQ(result.body, "hello");
    EXPECT_EQ(result.error, http_error::invalid_chunked_encoding);
    EXPECT_EQ(result.error.message(), "Invalid chunked encoding");
}

TEST_P(HttpStreamTest, AnOtherTransferCodingIsNotUndone) {
    const std::string body = "5\r\nhello\r\n0\r\n\r\n";
    FaultServer server(fault::Always(fault::Response(200, "OK", {{"Transfer-Encoding", "gzip, chunked"}}, body)));
    ASSERT_FALSE(driver_.Open(server.Url("/c")));
    EXPECT_EQ(driver_.ReadAll().body, body);
}

TEST_P(HttpStreamTest, AStatusLineWithoutReasonIsMalformed) {
    FaultServer server(fault::Always("HTTP/1.1 200\r\nContent-Length: 0\r\n\r\n"));
    const error_code ec = driver_.Open(server.Url("/"));
    EXPECT_EQ(ec, http_error::malformed_status_line);
    EXPECT_EQ(ec.message(), "Malformed status line");
}

TEST_P(HttpStreamTest, ContinueIsSkipped) {
    FaultServer server(fault::Always("HTTP/1.1 100 Continue\r\n\r\n" + fault::Ok("body")));
    EXPECT_FALSE(driver_.Open(server.Url("/")));
    EXPECT_EQ(stream_.status_code(), 200);
    EXPECT_EQ(driver_.ReadAll().body, "body");
}

TEST_P(HttpStreamTest, ContinueEndsTheHeadOfAPost) {
    FaultServer server(fault::Always("HTTP/1.1 100 Continue\r\n\r\n" + fault::Ok("body")));
    request_opts options;
    options.insert("_request_method", "POST");
    options.insert("_request_body", "data");
    options.insert("Content-Length", "4");
    stream_.set_request_options(options);
    const error_code ec = driver_.Open(server.Url("/form"));
    EXPECT_EQ(ec, http_error::continue_status);
    EXPECT_EQ(stream_.status_code(), 100);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].substr(server.Requests()[0].size() - 8), "\r\n\r\ndata");
}

TEST_P(HttpStreamTest, EndOfFileInsideTheHeadersIsMalformedHeaders) {
    FaultServer server(fault::Always("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"));
    const error_code ec = driver_.Open(server.Url("/"));
    EXPECT_EQ(ec, http_error::malformed_response_headers);
    EXPECT_EQ(ec.message(), "Malformed response headers");
}

TEST_P(HttpStreamTest, EndOfFileBeforeAnyAnswerIsEndOfFile) {
    FaultServer server(fault::Always(""));
    EXPECT_EQ(driver_.Open(server.Url("/")), asio::error::eof);
}

TEST_P(HttpStreamTest, AKnownLengthEndsAKeptAliveBodyAndTheConnectionCarriesAnotherRequest) {
    FaultServer server([](const FaultRequest& request, FaultConnection& connection) {
        connection.Send(fault::Ok(request.target == "/a" ? "aaaa" : "bbbbbbbbbb"));
    });
    request_opts options;
    options.insert("Connection", "keep-alive");
    stream_.set_request_options(options);
    ASSERT_FALSE(driver_.Open(server.Url("/a")));
    EXPECT_TRUE(stream_.keep_alive());
    ReadResult result = driver_.ReadAll(3);
    EXPECT_EQ(result.body, "aaaa");
    EXPECT_FALSE(result.error);

    request_opts next = options;
    next.insert("_url", server.Url("/b"));
    ASSERT_FALSE(driver_.Request(next));
    EXPECT_EQ(stream_.current_url().path(), "/b");
    result = driver_.ReadAll(4);
    EXPECT_EQ(result.body, "bbbbbbbbbb");
    EXPECT_FALSE(result.error);
    EXPECT_EQ(server.ConnectionCount(), 1u);
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].substr(0, 20), "GET /b HTTP/1.1\r\nHos");
}

TEST_P(HttpStreamTest, ConnectionCloseFromTheServerEndsKeepAlive) {
    FaultServer server(fault::Always(fault::Response(200, "OK", {{"Content-Length", "2"}, {"Connection", "close"}}, "ok")));
    request_opts options;
    options.insert("Connection", "keep-alive");
    stream_.set_request_options(options);
    ASSERT_FALSE(driver_.Open(server.Url("/")));
    EXPECT_FALSE(stream_.keep_alive());
    const ReadResult result = driver_.ReadAll();
    EXPECT_EQ(result.body, "ok");
    EXPECT_EQ(result.error, asio::error::eof);
}

TEST_P(HttpStreamTest, AResetInsideTheBodyIsAReadError) {
    FaultServer server([](const FaultRequest&, FaultConnection& connection) {
        connection.Send(fault::Response(200, "OK", {{"Content-Length", "100"}}, "0123456789"));
        connection.Reset();
    });
    ASSERT_FALSE(driver_.Open(server.Url("/")));
    const ReadResult result = driver_.ReadAll(64);
    EXPECT_EQ(result.body, "0123456789");
    EXPECT_EQ(result.error, asio::error::connection_reset);
}

TEST_P(HttpStreamTest, OnlyHttpAndHttpsAreOpened) {
    EXPECT_EQ(driver_.Open("ftp://127.0.0.1/file"), asio::error::operation_not_supported);
    EXPECT_EQ(stream_.status_code(), 0);
}

TEST_P(HttpStreamTest, ANameThatDoesNotResolveFails) {
    EXPECT_EQ(driver_.Open("http://no-such-host.invalid/"), asio::error::host_not_found);
}

TEST_P(HttpStreamTest, ARefusedConnectionFails) {
    unsigned short port;
    {
        FaultServer closed(fault::Always(""));
        port = closed.port();
    }
    EXPECT_EQ(driver_.Open("http://127.0.0.1:" + std::to_string(port) + "/"), asio::error::connection_refused);
}

TEST_P(HttpStreamTest, CookiesSetOnARedirectGoWithTheNextRequest) {
    FaultServer server(fault::Sequence(
        {fault::Response(302, "Found", {{"Set-Cookie", "sid=42; Path=/"}, {"Location", "/next"}, {"Content-Length", "0"}}),
         fault::Ok("x")}));
    ASSERT_FALSE(driver_.Open(server.Url("/")));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].find("Cookie: sid=42\r\nConnection: close\r\n"), std::string::npos) << requests[1];
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
}

TEST_P(HttpStreamTest, AnAnswerDribbledByteByByteReadsTheSame) {
    FaultServer server([](const FaultRequest&, FaultConnection& connection) {
        connection.SendDribbled("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nX-Folded: a\r\n b\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n" +
                                fault::Chunked({"hello", " ", "world"}));
        connection.Close();
    });
    ASSERT_FALSE(driver_.Open(server.Url("/")));
    EXPECT_EQ(stream_.response_options().find("X-Folded"), std::optional<std::string>("a b"));
    const ReadResult result = driver_.ReadAll(64);
    EXPECT_EQ(result.body, "hello world");
    EXPECT_EQ(result.error, asio::error::eof);
}

TEST_P(HttpStreamTest, RangesOfAFileServer) {
    const std::string content = "0123456789abcdefghij";
    FaultServer server(fault::ServeFile(content, fault::RangeSize::kTotalUnknown));
    request_opts options;
    options.insert("Connection", "keep-alive");
    options.insert("Range", "bytes=5-9");
    stream_.set_request_options(options);
    ASSERT_FALSE(driver_.Open(server.Url("/f")));
    EXPECT_EQ(stream_.status_code(), 206);
    // An unknown total ("*") leaves the length of the part.
    EXPECT_EQ(stream_.content_length(), 5);
    EXPECT_EQ(driver_.ReadAll().body, "56789");

    options.set("Range", "bytes=50-");
    EXPECT_EQ(driver_.Request(options), http_error::requested_range_not_satisfiable);
    options.remove("Range");
    ASSERT_FALSE(driver_.Request(options));
    EXPECT_EQ(stream_.status_code(), 200);
    EXPECT_EQ(driver_.ReadAll().body, content);
    EXPECT_EQ(server.ConnectionCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Forms, HttpStreamTest, ::testing::Values(Mode::kBlocking, Mode::kAsync),
                         [](const ::testing::TestParamInfo<Mode>& info) { return ModeName(info.param); });

// Every answer below is also delivered split in two at every byte offset;
// the stream must read the same whatever the split.
struct SplitCase {
    const char* name;
    std::string answer;
    error_code open_error;
    std::string body;
    error_code read_error;
};

class HttpStreamSplitTest : public ::testing::TestWithParam<std::tuple<Mode, SplitCase>> {};

TEST_P(HttpStreamSplitTest, SameResultAtEverySplit) {
    const SplitCase& c = std::get<1>(GetParam());
    std::atomic<std::size_t> split{0};
    FaultServer server([&](const FaultRequest&, FaultConnection& connection) {
        connection.SendSplit(c.answer, split);
        connection.Close();
    });
    for (std::size_t offset = 0; offset <= c.answer.size(); ++offset) {
        SCOPED_TRACE("split at " + std::to_string(offset));
        split = offset;
        StreamDriver driver(std::get<0>(GetParam()));
        const error_code open_error = driver.Open(server.Url("/"));
        ASSERT_EQ(open_error, c.open_error) << open_error.message();
        if (open_error) continue;
        const ReadResult result = driver.ReadAll(4);
        EXPECT_EQ(result.body, c.body);
        EXPECT_EQ(result.error, c.read_error) << result.error.message();
    }
}

const error_code kEof = asio::error::eof;

INSTANTIATE_TEST_SUITE_P(
    Answers, HttpStreamSplitTest,
    ::testing::Combine(
        ::testing::Values(Mode::kBlocking, Mode::kAsync),
        ::testing::Values(
            SplitCase{"Plain", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", {}, "hello", kEof},
            SplitCase{"Chunked",
                      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6;x=y\r\n world\r\n0\r\n\r\n",
                      {}, "hello world", kEof},
            SplitCase{"ChunkedWithoutTrailerEnd", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n",
                      {}, "ok", kEof},
            SplitCase{"BadChunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhelloXY", {}, "hello",
                      http_error::invalid_chunked_encoding},
            SplitCase{"Continue", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 206 Partial\r\nContent-Range: bytes 0-1/2\r\n\r\nab",
                      {}, "ab", kEof},
            SplitCase{"NoReason", "HTTP/1.1 200\r\n\r\n", http_error::malformed_status_line, "", {}},
            SplitCase{"BadHeader", "HTTP/1.1 200 OK\r\nno-colon\r\n\r\n", http_error::malformed_response_headers, "", {}},
            SplitCase{"EndInHeaders", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", http_error::malformed_response_headers,
                      "", {}},
            SplitCase{"NotFound", "HTTP/1.1 404 Not Found\r\n\r\n", http_error::not_found, "", {}})),
    [](const ::testing::TestParamInfo<std::tuple<Mode, SplitCase>>& info) {
        return std::string(ModeName(std::get<0>(info.param))) + std::get<1>(info.param).name;
    });

TEST(HttpStreamAsyncTest, HandlersNeverRunInsideTheCall) {
    boost::asio::io_context io;
    auto stream = std::make_shared<http_stream>(io);
    bool called = false;
    stream->async_open(ParseUrl("ftp://127.0.0.1/"), [&](const error_code&) { called = true; });
    EXPECT_FALSE(called);
    io.run();
    EXPECT_TRUE(called);
}

TEST(HttpStreamAsyncTest, CloseAbortsAPendingRead) {
    FaultServer server([](const FaultRequest&, FaultConnection& connection) {
        connection.Send(fault::Response(200, "OK", {{"Content-Length", "100"}}));
        connection.Stall();
    });
    StreamDriver driver(Mode::kAsync);
    ASSERT_FALSE(driver.Open(server.Url("/")));
    auto stream = driver.shared();
    char buffer[16];
    error_code read_error;
    bool done = false;
    stream->async_read_some(asio::buffer(buffer), [&](const error_code& ec, std::size_t) {
        read_error = ec;
        done = true;
    });
    asio::steady_timer timer(driver.io(), std::chrono::milliseconds(20));
    timer.async_wait([stream](const error_code&) {
        error_code ignored;
        stream->close(ignored);
    });
    driver.io().restart();
    driver.io().run_for(std::chrono::seconds(20));
    ASSERT_TRUE(done);
    EXPECT_EQ(read_error, asio::error::operation_aborted);
    EXPECT_FALSE(stream->is_open());
}

TEST(HttpStreamAsyncTest, TheStreamLivesUntilItsHandlerRan) {
    FaultServer server(fault::Always(fault::Ok("kept")));
    boost::asio::io_context io;
    std::weak_ptr<http_stream> watch;
    error_code result = asio::error::would_block;
    {
        auto stream = std::make_shared<http_stream>(io);
        watch = stream;
        stream->async_open(ParseUrl(server.Url("/")), [&](const error_code& ec) {
            result = ec;
            EXPECT_FALSE(watch.expired());
        });
    }
    io.run_for(std::chrono::seconds(20));
    EXPECT_FALSE(result);
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace dlengine
