#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/Exception.h"

namespace {

std::string CannotOpen(const std::string& fileName, const std::string& why)
{
    return "Cannot open file \"" + fileName + "\". " + why;
}

Exception CannotRead(const std::string& fileName)
{
    return Exception("Cannot read file \"" + fileName + "\". " + std::strerror(errno));
}

Exception TooLarge(const std::string& fileName)
{
    return Exception("File \"" + fileName + "\" is too large for a picture (more than " +
                     std::to_string(MaxPictureFileBytes >> 20) + " MiB)");
}

struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
    int Release() { return std::exchange(fd, -1); }
};

// Opens a file for reading after refusing what is not a picture file to read.
void OpenChecked(const std::string& fileName, Descriptor& file, struct stat& info)
{
    // Non-blocking, so that opening a pipe with no writer returns at once.
    file.fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file.fd < 0) throw Exception(CannotOpen(fileName, std::strerror(errno)));
    if (::fstat(file.fd, &info) != 0) throw Exception(CannotOpen(fileName, std::strerror(errno)));
    if (S_ISDIR(info.st_mode)) throw Exception(CannotOpen(fileName, std::strerror(EISDIR)));
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
        throw Exception(CannotOpen(fileName, "It is a pipe or a socket, not a file."));
    ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
    if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > MaxPictureFileBytes)
        throw TooLarge(fileName);
}

std::vector<unsigned char> ReadAll(const std::string& fileName, int fd, const struct stat& info)
{
    std::vector<unsigned char> bytes;
    if (S_ISREG(info.st_mode)) bytes.reserve(static_cast<std::size_t>(info.st_size));
    unsigned char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CannotRead(fileName);
        }
        if (static_cast<std::size_t>(n) > MaxPictureFileBytes - bytes.size()) throw TooLarge(fileName);
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

}  // namespace

std::vector<unsigned char> ReadFileBytes(const std::string& fileName)
{
    Descriptor file;
    struct stat info {};
    OpenChecked(fileName, file, info);
    return ReadAll(fileName, file.fd, info);
}

PictureFile::PictureFile(const std::string& fileName) : name_(fileName)
{
    Descriptor file;
    struct stat info {};
    OpenChecked(fileName, file, info);
    // A regular file that says it is empty may still have content (/proc,
    // some network file systems): such files are read whole, as devices are.
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        size_ = static_cast<std::uint64_t>(info.st_size);
        fd_ = file.Release();
    } else {
        bytes_ = ReadAll(fileName, file.fd, info);
        size_ = bytes_.size();
    }
}

PictureFile::PictureFile(std::vector<unsigned char> bytes, std::string name)
    : name_(std::move(name)), size_(bytes.size()), bytes_(std::move(bytes))
{
}

PictureFile::~PictureFile()
{
    if (fd_ >= 0) ::close(fd_);
}

std::size_t PictureFile::Read(std::uint64_t offset, unsigned char* to, std::size_t count) const
{
    if (fd_ < 0) {
        if (offset >= bytes_.size()) return 0;
        const std::size_t n = std::min<std::size_t>(count, bytes_.size() - offset);
        std::memcpy(to, bytes_.data() + offset, n);
        return n;
    }
    // A file that keeps growing while it is read is held to the same bound;
    // one that simply ends there has nothing more to give.
    if (offset >= MaxPictureFileBytes) {
        unsigned char probe = 0;
        if (ReadFromFile(offset, &probe, 1) == 0) return 0;
        throw TooLarge(name_);
    }
    return ReadFromFile(offset, to, std::min<std::size_t>(count, MaxPictureFileBytes - offset));
}

std::size_t PictureFile::ReadFromFile(std::uint64_t offset, unsigned char* to, std::size_t count) const
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, to + done, count - done, static_cast<off_t>(offset + done));
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw CannotRead(name_);
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}
