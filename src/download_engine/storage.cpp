#include "download_engine/storage.h"

#include "download_engine/utf8.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace dlengine {

default_storge::~default_storge() {
    close();
}

void default_storge::open(const std::wstring& path, boost::system::error_code& ec) {
    close();
    fd_ = ::open(wide_to_utf8(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        ec.assign(errno, boost::system::system_category());
        return;
    }
    position_ = 0;
    eof_ = false;
    ec.clear();
}

void default_storge::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::size_t default_storge::write(const void* buffer, std::int64_t offset, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written =
            ::pwrite(fd_, static_cast<const char*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error_.assign(written < 0 ? errno : ENOSPC, boost::system::system_category());
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    return done;
}

std::size_t default_storge::write(const void* buffer, std::size_t size) {
    const std::size_t done = write(buffer, position_, size);
    position_ += static_cast<std::int64_t>(done);
    return done;
}

std::size_t default_storge::read(void* buffer, std::int64_t offset, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count =
            ::pread(fd_, static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) error_.assign(errno, boost::system::system_category());
        if (count <= 0) {
            eof_ = count == 0;
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    return done;
}

std::size_t default_storge::read(void* buffer, std::size_t size) {
    const std::size_t done = read(buffer, position_, size);
    position_ += static_cast<std::int64_t>(done);
    return done;
}

bool default_storge::eof() {
    return eof_;
}

}  // namespace dlengine
