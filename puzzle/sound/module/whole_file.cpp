#include "whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace morvik::audio {

namespace {

std::string errorText(int error)
{
    return std::generic_category().message(error);
}

// Opened without blocking, so that a named pipe cannot hold the caller, and checked through the
// open descriptor, so that what is checked is what is read. Returns -1 with the reason in error.
int openRegular(const std::string &path, std::size_t maxSize, std::size_t &size, std::string &error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errorText(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        error = errorText(errno);
    else if (!S_ISREG(status.st_mode))
        error = "not a regular file";
    else if (status.st_size == 0)
        error = "empty file";
    else if (static_cast<std::uint64_t>(status.st_size) > maxSize)
        error = "larger than " + std::to_string(maxSize >> 20) + " MiB";
    if (!error.empty()) {
        ::close(fd);
        return -1;
    }
    size = static_cast<std::size_t>(status.st_size);
    return fd;
}

}  // namespace

FileData readFile(const std::string &path, std::size_t maxSize)
{
    FileData file;
    std::size_t size = 0;
    const int fd = openRegular(path, maxSize, size, file.error);
    if (fd < 0)
        return file;
    file.bytes.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::read(fd, file.bytes.data() + done, size - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            file.error = count < 0 ? errorText(errno) : "shorter than its size";
            file.bytes.clear();
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    ::close(fd);
    return file;
}

}  // namespace morvik::audio
