#pragma once
// Where the downloader puts the bytes: written at their final offsets, so
// nothing of the file is collected in memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <boost/system/error_code.hpp>

namespace dlengine {

class storage_interface {
public:
    virtual ~storage_interface() = default;
    virtual void open(const std::wstring& path, boost::system::error_code& ec) = 0;
    virtual void close() = 0;
    // Each returns the bytes moved; fewer than asked means an error (a full
    // disk, say), which last_error() then tells.
    virtual std::size_t write(const void* buffer, std::int64_t offset, std::size_t size) = 0;
    virtual std::size_t write(const void* buffer, std::size_t size) = 0;
    virtual std::size_t read(void* buffer, std::int64_t offset, std::size_t size) = 0;
    virtual std::size_t read(void* buffer, std::size_t size) = 0;
    virtual bool eof() = 0;
    virtual boost::system::error_code last_error() const = 0;
};

using storage_factory = std::unique_ptr<storage_interface> (*)();

// A file opened for reading and writing, created when missing, never
// truncated and never grown in advance.
class default_storge : public storage_interface {
public:
    ~default_storge() override;
    void open(const std::wstring& path, boost::system::error_code& ec) override;
    void close() override;
    std::size_t write(const void* buffer, std::int64_t offset, std::size_t size) override;
    std::size_t write(const void* buffer, std::size_t size) override;
    std::size_t read(void* buffer, std::int64_t offset, std::size_t size) override;
    std::size_t read(void* buffer, std::size_t size) override;
    bool eof() override;
    boost::system::error_code last_error() const override { return error_; }

private:
    int fd_ = -1;
    std::int64_t position_ = 0;
    bool eof_ = false;
    boost::system::error_code error_;
};

}  // namespace dlengine
