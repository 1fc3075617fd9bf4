#include "files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
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

std::uint32_t bigEndian(const char *bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
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

bool isStandardMidi(std::span<const char> bytes)
{
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0 || bigEndian(&bytes[4], 4) < 6)
        return false;
    const std::uint32_t announced = bigEndian(&bytes[10], 2);
    std::uint32_t tracks = 0;
    std::size_t at = 0;
    while (bytes.size() - at >= 8) {
        const std::size_t length = bigEndian(&bytes[at + 4], 4);
        if (length > bytes.size() - at - 8)
            return false;
        if (std::memcmp(&bytes[at], "MTrk", 4) == 0)
            ++tracks;
        at += 8 + length;
    }
    return tracks > 0 && tracks >= announced;
}

MappedFile::MappedFile(const std::string &path)
{
    std::size_t size = 0;
    const int fd = openRegular(path, std::size_t{1} << 30, size, error_);
    if (fd < 0)
        return;
    void *data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
        error_ = errorText(errno);
    } else {
        data_ = static_cast<const char *>(data);
        size_ = size;
    }
    ::close(fd);
}

MappedFile::~MappedFile()
{
    if (data_)
        ::munmap(const_cast<char *>(data_), size_);
}

}  // namespace morvik::audio
