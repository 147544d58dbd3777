#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// At most this much of a picture file is ever read into memory.
inline constexpr std::size_t MaxPictureFileBytes = std::size_t{512} << 20;  // 512 MiB

// The whole of a picture file, read at once. Throws Exception, with the words
// the user reads, for a file that cannot be opened or read, a directory, a
// pipe (which could keep the program waiting for ever), or more than
// MaxPictureFileBytes (a device such as /dev/zero never ends).
std::vector<unsigned char> ReadFileBytes(const std::string& fileName);

// A picture file open for reading by parts, so that a decoder that needs only
// the start of a large file reads only that. A regular file stays open and
// is read where asked; anything else (a device, or a file that says it is
// empty) is read whole at once, as ReadFileBytes does. Opening refuses what
// ReadFileBytes refuses.
class PictureFile {
public:
    explicit PictureFile(const std::string& fileName);
    // The same over bytes already in memory, named `name` in errors.
    PictureFile(std::vector<unsigned char> bytes, std::string name);
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    // Its length when it was opened.
    std::uint64_t Size() const { return size_; }
    // Up to `count` bytes from `offset` into `to`; fewer only at the end of
    // the file, none past it. Throws Exception naming the file.
    std::size_t Read(std::uint64_t offset, unsigned char* to, std::size_t count) const;
    // All of it when it is held in memory (nullptr when it is read by parts).
    const std::vector<unsigned char>* Bytes() const { return fd_ < 0 ? &bytes_ : nullptr; }

private:
    std::size_t ReadFromFile(std::uint64_t offset, unsigned char* to, std::size_t count) const;

    std::string name_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::vector<unsigned char> bytes_;
};
