// fuzz_seeds DIR: the fuzzers' first inputs. Writes DIR/bmp/ (bitmaps of
// every depth and header kind, RLE included), DIR/jpeg/ (CMYK and YCCK, which
// cjpeg cannot write) and DIR/synthetic.ppm and DIR/synthetic.pgm for
// scripts/fuzz.sh to feed cjpeg in its many modes. Small pictures, so every
// execution is quick, with odd widths, so row padding is exercised.
#include <cstdint>
#include <cstdio>  // jpeglib.h wants FILE and size_t declared first
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

void Write(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

void Put(Bytes& b, std::uint32_t v, int n)
{
    for (int k = 0; k < n; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

// Colour of pixel (x, y), different in every neighbouring row and column.
std::uint8_t Channel(int x, int y, int c) { return static_cast<std::uint8_t>((x * 37 + y * 91 + c * 73) % 251); }

struct Bmp {
    int width = 13;
    int height = 7;       // negative: top row first
    int bitCount = 24;
    int compression = 0;  // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
    int headerSize = 40;  // 12 (OS/2 core), 40, 108 (V4), 124 (V5)
    int colours = -1;     // palette entries; -1: 1 << bitCount below 16 bits
    std::vector<std::uint32_t> masks;  // after a 40-byte header, or inside V4/V5
    Bytes pixels;                      // empty: uncompressed rows made here
};

Bytes Rows(const Bmp& b)
{
    const int h = b.height < 0 ? -b.height : b.height;
    const std::size_t stride = ((static_cast<std::size_t>(b.width) * b.bitCount + 31) / 32) * 4;
    Bytes out(stride * h, 0);
    for (int row = 0; row < h; ++row) {
        std::uint8_t* line = out.data() + stride * row;
        for (int x = 0; x < b.width; ++x) {
            const int y = b.height < 0 ? row : h - 1 - row;
            const std::uint32_t index = static_cast<std::uint32_t>(x + 2 * y);
            switch (b.bitCount) {
            case 1:
            case 2:
            case 4:
            case 8: {
                const int bit = x * b.bitCount;
                const std::uint32_t v = index % (1u << b.bitCount);
                line[bit / 8] = static_cast<std::uint8_t>(line[bit / 8] | v << (8 - b.bitCount - bit % 8));
                break;
            }
            case 16: {
                const std::uint32_t v = std::uint32_t{Channel(x, y, 0)} >> 3 << 10 | std::uint32_t{Channel(x, y, 1)} >> 3 << 5 |
                                        Channel(x, y, 2) >> 3;
                line[2 * x] = static_cast<std::uint8_t>(v);
                line[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            }
            default:
                for (int c = 0; c < b.bitCount / 8; ++c) line[b.bitCount / 8 * x + c] = Channel(x, y, c);
            }
        }
    }
    return out;
}

Bytes Make(const Bmp& b)
{
    const int colours = b.colours >= 0 ? b.colours : (b.bitCount < 16 ? 1 << b.bitCount : 0);
    const int entry = b.headerSize == 12 ? 3 : 4;
    const std::size_t extraMasks = b.headerSize == 40 ? 4 * b.masks.size() : 0;
    const Bytes pixels = b.pixels.empty() ? Rows(b) : b.pixels;
    const auto offset = static_cast<std::uint32_t>(14 + b.headerSize + extraMasks + colours * entry);
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    Put(out, static_cast<std::uint32_t>(offset + pixels.size()), 4);
    Put(out, 0, 4);
    Put(out, offset, 4);
    Put(out, static_cast<std::uint32_t>(b.headerSize), 4);
    if (b.headerSize == 12) {
        Put(out, static_cast<std::uint32_t>(b.width), 2);
        Put(out, static_cast<std::uint32_t>(b.height), 2);
        Put(out, 1, 2);
        Put(out, static_cast<std::uint32_t>(b.bitCount), 2);
    } else {
        Put(out, static_cast<std::uint32_t>(b.width), 4);
        Put(out, static_cast<std::uint32_t>(b.height), 4);
        Put(out, 1, 2);
        Put(out, static_cast<std::uint32_t>(b.bitCount), 2);
        Put(out, static_cast<std::uint32_t>(b.compression), 4);
        Put(out, static_cast<std::uint32_t>(pixels.size()), 4);
        Put(out, 2835, 4);
        Put(out, 2835, 4);
        Put(out, static_cast<std::uint32_t>(b.colours >= 0 ? b.colours : 0), 4);
        Put(out, 0, 4);
        if (b.headerSize == 40) {
            for (std::uint32_t m : b.masks) Put(out, m, 4);
        } else {
            // V4 and V5: masks, colour space, endpoints, gamma (and V5's rest).
            for (int k = 0; k < 4; ++k) Put(out, k < static_cast<int>(b.masks.size()) ? b.masks[k] : 0, 4);
            Put(out, 0x73524742, 4);  // 'sRGB'
            out.resize(out.size() + static_cast<std::size_t>(b.headerSize - 40 - 20), 0);
        }
    }
    for (int i = 0; i < colours; ++i) {
        out.push_back(Channel(i, 0, 2));
        out.push_back(Channel(i, 0, 1));
        out.push_back(Channel(i, 0, 0));
        if (entry == 4) out.push_back(0);
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// A run, an absolute run, a delta jump, end of line and end of bitmap: each
// escape of the format at least once. At 4 bits a byte holds two pixels.
Bytes Rle(bool fourBits)
{
    const std::uint8_t a = fourBits ? 0x12 : 3, c = fourBits ? 0x45 : 9;
    Bytes out = {5, a, 0, 0};  // a run, end of line
    out.insert(out.end(), {0, 4, c, a});  // an absolute run of four pixels
    if (!fourBits) out.insert(out.end(), {c, a});
    out.insert(out.end(), {0, 0, 0, 2, 3, 1});  // end of line, then 3 right and 1 down
    out.insert(out.end(), {7, c, 0, 0, 2, a, 0, 1});  // a run, end of line, a run, end of bitmap
    return out;
}

void WriteBitmaps(const fs::path& dir)
{
    fs::create_directories(dir);
    const auto seed = [&](const std::string& name, const Bmp& b) { Write(dir / (name + ".bmp"), Make(b)); };
    for (int bits : {1, 2, 4, 8, 16, 24, 32}) {
        Bmp b;
        b.bitCount = bits;
        seed("rgb" + std::to_string(bits), b);
        b.height = -b.height;
        seed("topdown" + std::to_string(bits), b);
    }
    Bmp few;
    few.bitCount = 8;
    few.colours = 3;
    seed("palette3", few);
    Bmp rle8;
    rle8.bitCount = 8;
    rle8.compression = 1;
    rle8.colours = 16;
    rle8.pixels = Rle(false);
    seed("rle8", rle8);
    Bmp rle4 = rle8;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.pixels = Rle(true);
    seed("rle4", rle4);
    Bmp f565;
    f565.bitCount = 16;
    f565.compression = 3;
    f565.masks = {0xF800, 0x07E0, 0x001F};
    seed("bitfields565", f565);
    Bmp f32;
    f32.bitCount = 32;
    f32.compression = 3;
    f32.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    seed("bitfields32", f32);
    Bmp v4 = f32;
    v4.headerSize = 108;
    v4.masks.push_back(0xFF000000);
    seed("v4alpha", v4);
    Bmp v5 = v4;
    v5.headerSize = 124;
    seed("v5alpha", v5);
    Bmp core;
    core.headerSize = 12;
    seed("core24", core);
    core.bitCount = 8;
    seed("core8", core);
}

// One JPEG through libjpeg's compressor: 4 components, as CMYK or YCCK, with
// or without the Adobe marker that says which ink convention the file uses.
Bytes Jpeg4(J_COLOR_SPACE coded, bool adobe)
{
    const int width = 19, height = 11;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, coded);
    info.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(width * 4);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 4; ++c) row[4 * x + c] = Channel(x, static_cast<int>(info.next_scanline), c);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

void WritePnm(const fs::path& path, int width, int height, int channels)
{
    const std::string header = (channels == 1 ? "P5\n" : "P6\n") + std::to_string(width) + " " +
                               std::to_string(height) + "\n255\n";
    Bytes bytes(header.begin(), header.end());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) bytes.push_back(Channel(x, y, c));
    Write(path, bytes);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: fuzz_seeds DIR\n", stderr);
        return 2;
    }
    const fs::path dir = argv[1];
    WriteBitmaps(dir / "bmp");
    fs::create_directories(dir / "jpeg");
    Write(dir / "jpeg" / "cmyk-adobe.jpg", Jpeg4(JCS_CMYK, true));
    Write(dir / "jpeg" / "cmyk.jpg", Jpeg4(JCS_CMYK, false));
    Write(dir / "jpeg" / "ycck.jpg", Jpeg4(JCS_YCCK, true));
    WritePnm(dir / "synthetic.ppm", 37, 21, 3);
    WritePnm(dir / "synthetic.pgm", 37, 21, 1);
    // Wider than the workspace: the decoder's crop of the columns comes in.
    WritePnm(dir / "wide.ppm", 460, 9, 3);
    return 0;
}
