#pragma once
// Drives an http_stream in its blocking or its asynchronous form with the
// same calls, so that one test checks both.

#include <chrono>
#include <memory>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/system/error_code.hpp>

#include "download_engine/http_stream.h"
#include "download_engine/url.h"

namespace dlengine {

enum class Mode { kBlocking, kAsync };

inline const char* ModeName(Mode mode) { return mode == Mode::kBlocking ? "Blocking" : "Async"; }

inline url ParseUrl(const std::string& text) {
    boost::system::error_code ec;
    url parsed = url::from_string(text, ec);
    if (ec) throw boost::system::system_error(ec, text);
    return parsed;
}

struct ReadResult {
    std::string body;
    boost::system::error_code error;  // what ended the reading
};

class StreamDriver {
public:
    explicit StreamDriver(Mode mode) : mode_(mode), stream_(std::make_shared<http_stream>(io_)) {}

    http_stream& stream() { return *stream_; }
    std::shared_ptr<http_stream> shared() { return stream_; }
    boost::asio::io_context& io() { return io_; }

    boost::system::error_code Open(const std::string& target) {
        boost::system::error_code result;
        if (mode_ == Mode::kBlocking) {
            stream_->open(ParseUrl(target), result);
            return result;
        }
        bool done = false;
        stream_->async_open(ParseUrl(target), [&](const boost::system::error_code& ec) {
            result = ec;
            done = true;
        });
        Run(done);
        return result;
    }

    boost::system::error_code Request(const request_opts& options) {
        boost::system::error_code result;
        if (mode_ == Mode::kBlocking) {
            stream_->request(options, result);
            return result;
        }
        bool done = false;
        stream_->async_request(options, [&](const boost::system::error_code& ec) {
            result = ec;
            done = true;
        });
        Run(done);
        return result;
    }

    std::size_t ReadSome(char* data, std::size_t size, boost::system::error_code& result) {
        if (mode_ == Mode::kBlocking) return stream_->read_some(boost::asio::buffer(data, size), result);
        bool done = false;
        std::size_t count = 0;
        stream_->async_read_some(boost::asio::buffer(data, size),
                                 [&](const boost::system::error_code& ec, std::size_t n) {
                                     result = ec;
                                     count = n;
                                     done = true;
                                 });
        Run(done);
        return count;
    }

    // Reads `piece` bytes at a time until an error or a read of 0 bytes.
    ReadResult ReadAll(std::size_t piece = 7) {
        ReadResult result;
        std::string buffer(piece, '\0');
        for (;;) {
            const std::size_t count = ReadSome(buffer.data(), buffer.size(), result.error);
            result.body.append(buffer.data(), count);
            if (result.error || count == 0) return result;
        }
    }

private:
    // A generous bound, so that a fault makes the test fail instead of hang.
    void Run(const bool& done) {
        io_.restart();
        io_.run_for(std::chrono::seconds(20));
        if (!done) throw std::runtime_error("the operation did not complete");
    }

    Mode mode_;
    boost::asio::io_context io_;
    std::shared_ptr<http_stream> stream_;
};

}  // namespace dlengine
