#include "cli/Npy.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/Exception.h"
#include "workspace/ChannelPlanes.h"

static_assert(std::endian::native == std::endian::little, "the .npy files are written as they lie in memory");

namespace {

std::string Header(const char* descr)
{
    std::string dict = std::string("{'descr': '") + descr + "', 'fortran_order': False, 'shape': (" +
                       std::to_string(PlaneHeight) + ", " + std::to_string(PlaneWidth) + "), }";
    // Magic, version and length take 10 bytes; the data starts 64-aligned.
    const std::size_t total = (10 + dict.size() + 1 + 63) / 64 * 64;
    dict.append(total - 10 - dict.size() - 1, ' ');
    dict += '\n';
    const auto len = static_cast<std::uint16_t>(dict.size());
    std::string out("\x93NUMPY\x01\x00", 8);
    out += static_cast<char>(len & 0xFF);
    out += static_cast<char>(len >> 8);
    return out + dict;
}

template <class T>
void Write(const std::string& path, const char* descr, const T (&plane)[PlaneWidth][PlaneHeight])
{
    // The planes are column-major; the file wants rows.
    std::vector<T> rows(PlaneSamples);
    for (int y = 0; y < PlaneHeight; ++y)
        for (int x = 0; x < PlaneWidth; ++x) rows[std::size_t(y) * PlaneWidth + x] = plane[x][y];
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string header = Header(descr);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(rows.data()), static_cast<std::streamsize>(rows.size() * sizeof(T)));
    out.close();
    if (!out) throw Exception("Cannot write \"" + path + "\": " + std::strerror(errno));
}

}  // namespace

void WriteNpy(const std::string& path, const std::uint8_t (&plane)[PlaneWidth][PlaneHeight]) { Write(path, "|u1", plane); }
void WriteNpy(const std::string& path, const double (&plane)[PlaneWidth][PlaneHeight]) { Write(path, "<f8", plane); }
