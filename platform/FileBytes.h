#pragma once
#include <cstddef>
#include <string>
#include <vector>

// At most this much of a picture file is ever read into memory.
inline constexpr std::size_t MaxPictureFileBytes = std::size_t{512} << 20;  // 512 MiB

// The whole of a picture file, read at once. Throws Exception, with the words
// the user reads, for a file that cannot be opened or read, a directory, a
// pipe (which could keep the program waiting for ever), or more than
// MaxPictureFileBytes (a device such as /dev/zero never ends).
std::vector<unsigned char> ReadFileBytes(const std::string& fileName);
