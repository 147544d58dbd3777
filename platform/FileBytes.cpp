#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Exception.h"

namespace {

std::string CannotOpen(const std::string& fileName, const std::string& why)
{
    return "Cannot open file \"" + fileName + "\". " + why;
}

struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::vector<unsigned char> ReadFileBytes(const std::string& fileName)
{
    // Non-blocking, so that opening a pipe with no writer returns at once.
    const Descriptor file{::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) throw Exception(CannotOpen(fileName, std::strerror(errno)));
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) throw Exception(CannotOpen(fileName, std::strerror(errno)));
    if (S_ISDIR(info.st_mode)) throw Exception(CannotOpen(fileName, std::strerror(EISDIR)));
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
        throw Exception(CannotOpen(fileName, "It is a pipe or a socket, not a file."));
    ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);

    const auto tooLarge = [&] {
        return Exception("File \"" + fileName + "\" is too large for a picture (more than " +
                         std::to_string(MaxPictureFileBytes >> 20) + " MiB)");
    };
    std::vector<unsigned char> bytes;
    if (S_ISREG(info.st_mode)) {
        if (static_cast<std::size_t>(info.st_size) > MaxPictureFileBytes) throw tooLarge();
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    unsigned char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(file.fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw Exception("Cannot read file \"" + fileName + "\". " + std::strerror(errno));
        }
        if (static_cast<std::size_t>(n) > MaxPictureFileBytes - bytes.size()) throw tooLarge();
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}
