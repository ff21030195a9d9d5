#include "download_engine/multi_download.h"

#include "download_engine/ascii.h"
#include "download_engine/http_error.h"
#include "download_engine/utf8.h"

#include <boost/asio/error.hpp>
#include <boost/system/system_error.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace dlengine {
namespace {

using boost::system::error_code;
using clock_type = std::chrono::steady_clock;

constexpr std::size_t read_size = 2048;
constexpr int default_connections = 5;

// Decimal text, optionally negative, and nothing else.
bool parse_int64(const std::string& text, std::int64_t& value) {
    if (text.empty()) return false;
    std::size_t used = 0;
    try {
        value = std::stoll(text, &used, 10);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size();
}

bool gives_up_on(const error_code& ec) {
    return ec == http_error::forbidden || ec == http_error::not_found || ec == http_error::method_not_allowed;
}

}  // namespace

std::int64_t default_piece_size(std::int64_t file_size) {
    const std::int64_t wanted = file_size / 2048;
    std::int64_t piece = 16384;
    while (piece < wanted && piece < 16 * 1024 * 1024) piece *= 2;
    return piece;
}

std::string escape_url(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || c == ' ' || c == '^' || c == '`' || c == '{' || c == '|' || c == '}') {
            escaped += '%';
            escaped += digits[byte >> 4];
            escaped += digits[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

multi_download::multi_download(boost::asio::io_context& io) : io_(io), timer_(io) {}

multi_download::~multi_download() = default;

std::string multi_download::range_header(std::int64_t first, std::int64_t last) {
    char text[64];
    std::snprintf(text, sizeof text, "bytes=%lld-%lld", static_cast<long long>(first), static_cast<long long>(last));
    return text;
}

std::wstring multi_download::file_name() const {
    std::lock_guard<std::mutex> guard(state_lock_);
    return file_name_.empty() ? settings_.save_path : file_name_;
}

error_code multi_download::error() const {
    std::lock_guard<std::mutex> guard(state_lock_);
    return write_error_;
}

std::int64_t multi_download::bytes_download() const {
    if (file_size_ != -1) return downloaded_.bytes();
    std::lock_guard<std::mutex> guard(connections_lock_);
    std::int64_t total = 0;
    for (const connection_ptr& connection : connections_) total += connection->bytes_downloaded;
    return total;
}

std::shared_ptr<http_stream> multi_download::make_stream(const std::string& range) {
    auto stream = std::make_shared<http_stream>(io_);
    request_opts options = range_options_;
    options.set("Range", range);
    stream->set_request_options(options);
    stream->set_proxy(settings_.proxy);
    stream->set_check_certificate(settings_.check_certificate);
    stream->set_ca_file(settings_.ca_file);
    stream->set_redirect_limit(0);
    return stream;
}

void multi_download::start(const std::string& url_text, const settings& options, error_code& ec) {
    {
        std::lock_guard<std::mutex> guard(connections_lock_);
        connections_.clear();
    }
    file_size_ = -1;
    {
        std::lock_guard<std::mutex> guard(state_lock_);
        settings_ = options;
        file_name_.clear();
        write_error_.clear();
    }
    final_url_ = url::from_string(escape_url(url_text), ec);
    if (ec) return;

    // The probe: one open-ended range on a kept-alive connection.
    auto probe = std::make_shared<http_stream_object>();
    probe->stream = std::make_shared<http_stream>(io_);
    request_opts probe_options = settings_.opts;
    probe_options.set("Range", "bytes=0-");
    probe_options.set("Connection", "keep-alive");
    probe->stream->set_request_options(probe_options);
    probe->stream->set_proxy(settings_.proxy);
    probe->stream->set_check_certificate(settings_.check_certificate);
    probe->stream->set_ca_file(settings_.ca_file);
    try {
        probe->stream->open(final_url_, ec);
    } catch (const boost::system::system_error& error) {
        ec = error.code();
    }
    if (ec) return;
    if (!probe->stream->location().empty()) {
        error_code location_error;
        const url location = url::from_string(probe->stream->location(), location_error);
        if (!location_error) final_url_ = location;
    }

    const request_opts& response = probe->stream->response_options();
    accept_multi_ = response.find("_status_code").value_or("") == "206" && !settings_.disable_multi_download;
    std::string size_text = response.find("Content-Length").value_or("");
    bool size_known = !size_text.empty();
    if (!size_known) {
        const std::string content_range = response.find("Content-Range").value_or("");
        const std::size_t slash = content_range.find('/');
        size_known = slash != std::string::npos;
        if (size_known) size_text = content_range.substr(slash + 1);
    }
    std::int64_t size = -1;
    if (!size_known || !parse_int64(size_text, size)) {
        accept_multi_ = false;
    } else if (size != -1 && size != file_size_) {
        file_size_ = size;
        downloading_.reset(size);
        downloaded_.reset(size);
    }

    if (accept_multi_) {
        keep_alive_ = ascii_lower(response.find("Connection").value_or("")) == "keep-alive";
        if (settings_.meta_file.empty()) settings_.meta_file = file_name() + L".cfg";
        if (!open_meta()) {
            meta_.discard();
            downloading_.reset(file_size_);
            downloaded_.reset(file_size_);
        }
        if (downloaded_.is_full()) {
            meta_.close();
            return;
        }
    }

    storage_ = settings_.storage ? settings_.storage() : std::make_unique<default_storge>();
    storage_->open(file_name(), ec);
    if (ec) {
        storage_.reset();
        meta_.close();
        return;
    }

    rate_budget_ = settings_.download_rate_limit;
    if (settings_.connections_limit == -1) settings_.connections_limit = default_connections;
    if (settings_.piece_size == -1 && file_size_ != -1)
        settings_.piece_size = static_cast<int>(default_piece_size(file_size_));
    range_options_ = settings_.opts;
    range_options_.set("Connection", keep_alive_ ? "keep-alive" : "close");
    abort_ = false;
    {
        std::lock_guard<std::mutex> guard(connections_lock_);
        connections_.push_back(probe);
    }

    if (accept_multi_) {
        std::int64_t first = 0, last = 0;
        if (!allocate_range(first, last)) {
            probe->done = true;
        } else {
            probe->request_range[0] = first;
            probe->request_range[1] = last;
            probe->last_request_time = clock_type::now();
            if (first == 0) {
                read_more(0, probe);
            } else {
                probe->stream->close(ec);
                probe->stream = make_stream(range_header(first, last));
                open_range(0, probe);
            }
        }
        for (int i = 1; i < settings_.connections_limit; ++i) {
            if (!allocate_range(first, last)) break;
            auto connection = std::make_shared<http_stream_object>();
            connection->request_range[0] = first;
            connection->request_range[1] = last;
            connection->stream = make_stream(range_header(first, last));
            {
                std::lock_guard<std::mutex> guard(connections_lock_);
                connections_.push_back(connection);
            }
            open_range(i, connection);
        }
    } else {
        read_more(0, probe);
    }
    ec.clear();
    arm_timer();
}

bool multi_download::open_meta() {
    const resume_load_result loaded = meta_.open(settings_.meta_file);
    if (loaded.outcome == resume_outcome::fresh_start) return true;
    if (loaded.outcome == resume_outcome::load_failed) return false;

    const resume_state& state = loaded.state;
    // Progress recorded for another size, or for bytes the data file no longer
    // holds, would complete a file that is not there.
    std::error_code size_error;
    const auto data_size = std::filesystem::file_size(std::filesystem::u8path(wide_to_utf8(file_name())), size_error);
    const byte_ranges ranges = bitfield_to_ranges(state.bitfield, state.file_size, state.piece_size);
    const std::int64_t covered_end = ranges.empty() ? 0 : ranges.back().second;
    if ((file_size_ != -1 && state.file_size != file_size_) ||
        (covered_end > 0 && (size_error || static_cast<std::int64_t>(data_size) < covered_end))) {
        return false;
    }
    if (settings_.meta_url && !state.final_url.empty()) {
        error_code url_error;
        const url stored = url::from_string(state.final_url, url_error);
        if (!url_error) final_url_ = stored;
    }
    file_size_ = state.file_size;
    downloading_.reset(state.file_size);
    downloaded_.reset(state.file_size);
    settings_.piece_size = static_cast<int>(state.piece_size);
    for (const byte_range& range : ranges) {
        downloading_.update(range.first, range.second);
        downloaded_.update(range.first, range.second);
    }
    return true;
}

void multi_download::update_meta() {
    if (file_size_ < 0 || settings_.piece_size <= 0) return;
    byte_ranges ranges;
    for (const auto& range : downloaded_.ranges()) ranges.emplace_back(range.first, range.second);
    meta_.update(make_resume_state(final_url_.to_string(), file_size_, settings_.piece_size, ranges));
}

bool multi_download::allocate_range(std::int64_t& first, std::int64_t& last) {
    std::lock_guard<std::mutex> guard(allocation_lock_);
    const std::int64_t limit = static_cast<std::int64_t>(settings_.request_piece_num) * settings_.piece_size;
    // The gap is valid when read; a size reset between the read and the
    // update makes it fail, and the next gap is taken.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const auto gap = downloading_.out_space(0);
        if (!gap) return false;
        std::int64_t end = gap->second;
        if (limit > 0 && end - gap->first >= limit) end = gap->first + limit;
        if (downloading_.update(gap->first, end)) {
            first = gap->first;
            last = end - 1;
            return last >= first;
        }
        if (abort_) return false;
    }
    return false;
}

void multi_download::open_range(int index, const connection_ptr& connection) {
    connection->last_request_time = clock_type::now();
    auto self = shared_from_this();
    connection->stream->async_open(
        final_url_, [self, index, connection](const error_code& ec) { self->handle_open(index, connection, ec); });
}

bool multi_download::range_answer_fits(const connection_ptr& connection) const {
    // A server that ignores the range would send bytes of another offset;
    // writing them at this range's offset would corrupt the file.
    const std::string content_range = connection->stream->response_options().find("Content-Range").value_or("");
    const std::string expected =
        "bytes " + std::to_string(connection->request_range[0] + connection->bytes_transferred) + "-";
    return connection->stream->status_code() == 206 && content_range.compare(0, expected.size(), expected) == 0;
}

void multi_download::handle_open(int index, const connection_ptr& connection, const error_code& ec) {
    if (ec || abort_) {
        connection->ec = ec;
        if (!accept_multi_) end_single();
        return;
    }
    if (accept_multi_ && !range_answer_fits(connection)) {
        connection->ec = boost::asio::error::operation_not_supported;
        connection->done = true;
        return;
    }
    if (!accept_multi_) {
        const std::int64_t length = connection->stream->content_length();
        if (length != -1 && length != file_size_) {
            file_size_ = length;
            downloading_.reset(length);
            downloaded_.reset(length);
        }
    }
    connection->last_request_time = clock_type::now();
    read_more(index, connection);
}

void multi_download::handle_request(int index, const connection_ptr& connection, const error_code& ec) {
    if (ec || abort_) {
        connection->ec = ec;
        if (!accept_multi_) end_single();
        return;
    }
    if (!range_answer_fits(connection)) {
        connection->ec = boost::asio::error::operation_not_supported;
        connection->done = true;
        return;
    }
    connection->last_request_time = clock_type::now();
    read_more(index, connection);
}

void multi_download::read_more(int index, const connection_ptr& connection) {
    std::size_t size = read_size;
    if (accept_multi_) {
        const std::int64_t left =
            connection->request_range[1] - connection->request_range[0] + 1 - connection->bytes_transferred;
        size = static_cast<std::size_t>(std::clamp<std::int64_t>(left, 1, read_size));
    }
    auto self = shared_from_this();
    if (rate_budget_ != -1) {
        size = std::min<std::size_t>(size, static_cast<std::size_t>(rate_budget_));
        rate_budget_ -= static_cast<int>(size);
        if (size == 0) {
            // The budget of this second is spent: look again in a millisecond.
            auto pause = std::make_shared<boost::asio::steady_timer>(io_, std::chrono::milliseconds(1));
            pause->async_wait([self, index, connection, pause](const error_code&) {
                if (!self->abort_) self->read_more(index, connection);
            });
            return;
        }
    }
    connection->stream->async_read_some(boost::asio::buffer(connection->buffer, size),
                                        [self, index, connection](const error_code& ec, std::size_t count) {
                                            self->handle_read(index, connection, ec, count);
                                        });
}

void multi_download::handle_read(int index, const connection_ptr& connection, const error_code& ec, std::size_t count) {
    bytes_this_second_ += static_cast<std::int64_t>(count);
    if (storage_ && count > 0 && (!ec || ec == boost::asio::error::eof)) {
        const std::int64_t offset = connection->request_range[0] + connection->bytes_transferred;
        if (storage_->write(connection->buffer, offset, count) != count) {
            fail_write(storage_->last_error());
            return;
        }
        // Recorded only once written, so the resume file never claims a gap.
        if (file_size_ != -1) downloaded_.update(offset, offset + static_cast<std::int64_t>(count));
        if (accept_multi_ && downloaded_.bytes() >= file_size_ && downloaded_.is_full()) {
            // Every byte is written: end now rather than at the next tick.
            end_transfer();
            return;
        }
    }
    connection->bytes_transferred += static_cast<std::int64_t>(count);
    connection->bytes_downloaded += static_cast<std::int64_t>(count);

    if (ec || abort_) {
        if (!accept_multi_) end_single();
        return;
    }
    if (accept_multi_) {
        const std::int64_t first = connection->request_range[0];
        const std::int64_t last = connection->request_range[1];
        if (connection->bytes_transferred < last - first + 1) {
            connection->last_request_time = clock_type::now();
            read_more(index, connection);
            return;
        }
        std::int64_t next_first = 0, next_last = 0;
        if (!keep_alive_ || (first == 0 && index == 0) || !allocate_range(next_first, next_last)) {
            connection->reconnect = true;
            return;
        }
        connection->bytes_transferred = 0;
        connection->request_range[0] = next_first;
        connection->request_range[1] = next_last;
        request_opts options = range_options_;
        options.set("Range", range_header(next_first, next_last));
        connection->stream->set_redirect_limit(0);
        connection->last_request_time = clock_type::now();
        auto self = shared_from_this();
        connection->stream->async_request(options, [self, index, connection](const error_code& request_error) {
            self->handle_request(index, connection, request_error);
        });
        return;
    }
    if (file_size_ != -1 && connection->bytes_downloaded == file_size_) {
        end_single();
        return;
    }
    connection->last_request_time = clock_type::now();
    read_more(index, connection);
}

void multi_download::end_single() {
    abort_ = true;
    timer_.cancel();
}

void multi_download::fail_write(const error_code& ec) {
    {
        std::lock_guard<std::mutex> guard(state_lock_);
        write_error_ = ec ? ec : make_error_code(boost::system::errc::io_error);
    }
    end_transfer();
}

void multi_download::end_transfer() {
    abort_ = true;
    timer_.cancel();
    std::lock_guard<std::mutex> guard(connections_lock_);
    for (const connection_ptr& connection : connections_) {
        error_code ignored;
        connection->stream->close(ignored);
    }
}

void multi_download::stop() {
    abort_ = true;
    // Streams and the timer belong to the event-loop thread.
    auto self = shared_from_this();
    boost::asio::post(io_, [self] {
        self->timer_.cancel();
        std::lock_guard<std::mutex> guard(self->connections_lock_);
        for (const connection_ptr& connection : self->connections_) {
            error_code ignored;
            connection->stream->close(ignored);
        }
    });
}

void multi_download::arm_timer() {
    timer_.expires_after(std::chrono::seconds(1));
    auto self = shared_from_this();
    timer_.async_wait([self](const error_code& ec) { self->on_tick(ec); });
}

void multi_download::finish() {
    meta_.close();
    storage_.reset();
}

void multi_download::on_tick(const error_code& ec) {
    if (accept_multi_) update_meta();
    if (abort_ || ec) {
        finish();
        return;
    }
    rate_ = static_cast<int>((rate_ * 7.0 + static_cast<double>(bytes_this_second_)) * 0.125);
    bytes_this_second_ = 0;
    rate_budget_ = settings_.download_rate_limit;

    const auto now = clock_type::now();
    const auto time_out = std::chrono::seconds(settings_.time_out);
    bool all_done = true;
    {
        std::lock_guard<std::mutex> guard(connections_lock_);
        int index = 0;
        for (const connection_ptr& connection : connections_) {
            const int this_index = index++;
            if (connection->done) continue;
            if (!connection->reconnect && now - connection->last_request_time <= time_out) continue;
            error_code ignored;
            connection->stream->close(ignored);
            if (gives_up_on(connection->ec)) {
                connection->done = true;
                continue;
            }
            if (!accept_multi_) {
                abort_ = true;
                connection->done = true;
                continue;
            }
            connection->reconnect = false;
            connection->ec.clear();
            std::int64_t position = connection->request_range[0] + connection->bytes_transferred;
            if (position > connection->request_range[1]) {
                std::int64_t first = 0, last = 0;
                if (!allocate_range(first, last)) {
                    connection->done = true;
                    continue;
                }
                connection->request_range[0] = first;
                connection->request_range[1] = last;
                connection->bytes_transferred = 0;
                position = first;
            }
            connection->stream = make_stream(range_header(position, connection->request_range[1]));
            open_range(this_index, connection);
        }
        // Connections given up above count at once, so the last tick is not one late.
        for (const connection_ptr& connection : connections_) all_done = all_done && connection->done;
    }
    if (all_done || abort_) {
        abort_ = true;
        timer_.cancel();
        finish();
        return;
    }
    arm_timer();
}

}  // namespace dlengine
