#include "BmpWriter.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace bmptest {

void Put16(Bytes& bytes, std::size_t at, std::uint16_t value)
{
    if (bytes.size() < at + 2) bytes.resize(at + 2);
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    if (bytes.size() < at + 4) bytes.resize(at + 4);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes WriteBmp(const BmpParts& parts)
{
    const std::size_t maskBytes = 4 * parts.masks.size();
    const std::size_t paletteBytes = 4 * parts.palette.size();
    const auto natural = static_cast<std::uint32_t>(FileAndInfoHeader + maskBytes + paletteBytes);

    Bytes out(natural, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(natural + parts.pixels.size()));
    Put32(out, OffDataOffset, parts.dataOffset.value_or(natural));
    Put32(out, OffHeaderSize, 40);
    Put32(out, OffWidth, static_cast<std::uint32_t>(parts.width));
    Put32(out, OffHeight, static_cast<std::uint32_t>(parts.height));
    Put16(out, OffPlanes, parts.planes);
    Put16(out, OffBitCount, parts.bitCount);
    Put32(out, OffCompression, parts.compression);
    Put32(out, 34, static_cast<std::uint32_t>(parts.pixels.size()));
    Put32(out, 38, 2835);  // 72 dpi
    Put32(out, 42, 2835);
    Put32(out, OffColorsUsed, parts.colorsUsed.value_or(static_cast<std::uint32_t>(parts.palette.size())));
    Put32(out, 50, 0);

    std::size_t at = FileAndInfoHeader;
    for (std::uint32_t m : parts.masks) {
        Put32(out, at, m);
        at += 4;
    }
    for (const Rgb& c : parts.palette) {
        out[at++] = c.b;
        out[at++] = c.g;
        out[at++] = c.r;
        out[at++] = 0;
    }
    out.insert(out.end(), parts.pixels.begin(), parts.pixels.end());
    return out;
}

Bytes PackRows(int width, int height, int bitCount, bool topDown,
               const std::function<std::uint32_t(int x, int y)>& value)
{
    const std::size_t stride = ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
    Bytes out(stride * height, 0);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        std::uint8_t* line = out.data() + stride * row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            switch (bitCount) {
            case 1:
            case 2:
            case 4:
            case 8: {
                // The leftmost pixel in the most significant bits.
                const int bit = x * bitCount;
                const int shift = 8 - bitCount - bit % 8;
                line[bit / 8] = static_cast<std::uint8_t>(line[bit / 8] | (v << shift));
                break;
            }
            case 16:
                line[2 * x] = static_cast<std::uint8_t>(v);
                line[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            case 24:
                line[3 * x] = static_cast<std::uint8_t>(v);  // blue first
                line[3 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                line[3 * x + 2] = static_cast<std::uint8_t>(v >> 16);
                break;
            case 32:
                for (int i = 0; i < 4; ++i) line[4 * x + i] = static_cast<std::uint8_t>(v >> (8 * i));
                break;
            default:
                throw std::invalid_argument("PackRows: no such bit count");
            }
        }
    }
    return out;
}

namespace {

// Length of the run at `i` that one encoded run can give: equal values at 8
// bits, an alternating pair at 4 bits.
std::size_t RunAt(const std::vector<std::uint8_t>& row, std::size_t i, bool pairs)
{
    std::size_t n = 1;
    while (i + n < row.size() && n < 255) {
        const std::uint8_t want = (pairs && n % 2 == 1) ? row[i + 1] : row[i];
        if (row[i + n] != want) break;
        ++n;
    }
    return n;
}

Bytes EncodeRle(const IndexRows& rows, bool fourBits)
{
    // Below this an encoded run is no shorter than the pixels themselves.
    const std::size_t worthARun = fourBits ? 4 : 3;
    Bytes out;
    auto encoded = [&](std::size_t count, std::uint8_t value) {
        out.push_back(static_cast<std::uint8_t>(count));
        out.push_back(value);
    };
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
        const std::vector<std::uint8_t>& row = *r;
        std::size_t i = 0;
        while (i < row.size()) {
            const std::size_t run = RunAt(row, i, fourBits);
            if (run >= worthARun) {
                const std::uint8_t second = (fourBits && run > 1) ? row[i + 1] : row[i];
                encoded(run, fourBits ? static_cast<std::uint8_t>(row[i] << 4 | second) : row[i]);
                i += run;
                continue;
            }
            std::size_t end = i;
            while (end < row.size() && end - i < 255 && RunAt(row, end, fourBits) < worthARun) ++end;
            const std::size_t count = end - i;
            if (count < 3) {
                // Absolute mode needs at least three pixels; 1 and 2 are escapes.
                for (std::size_t k = i; k < end; ++k)
                    encoded(1, fourBits ? static_cast<std::uint8_t>(row[k] << 4) : row[k]);
            } else {
                out.push_back(0);
                out.push_back(static_cast<std::uint8_t>(count));
                const std::size_t start = out.size();
                if (fourBits) {
                    for (std::size_t k = i; k < end; k += 2) {
                        const std::uint8_t lo = k + 1 < end ? row[k + 1] : 0;
                        out.push_back(static_cast<std::uint8_t>(row[k] << 4 | lo));
                    }
                } else {
                    out.insert(out.end(), row.begin() + static_cast<std::ptrdiff_t>(i),
                               row.begin() + static_cast<std::ptrdiff_t>(end));
                }
                if ((out.size() - start) % 2) out.push_back(0);  // runs end on a 16-bit boundary
            }
            i = end;
        }
        out.push_back(0);
        out.push_back(0);
    }
    out.push_back(0);
    out.push_back(1);
    return out;
}

}  // namespace

Bytes EncodeRle8(const IndexRows& rows) { return EncodeRle(rows, false); }
Bytes EncodeRle4(const IndexRows& rows) { return EncodeRle(rows, true); }

IndexRows MakeIndices(int width, int height, const std::function<std::uint8_t(int x, int y)>& index)
{
    IndexRows rows(height, std::vector<std::uint8_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rows[y][x] = index(x, y);
    return rows;
}

Picture FromIndices(const IndexRows& rows, const std::vector<Rgb>& palette)
{
    const int height = static_cast<int>(rows.size());
    const int width = height ? static_cast<int>(rows[0].size()) : 0;
    return MakePicture(width, height, [&](int x, int y) { return palette.at(rows[y][x]); });
}

std::vector<Rgb> MakePalette(int count)
{
    std::vector<Rgb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back({static_cast<std::uint8_t>((i * 37 + 11) % 251), static_cast<std::uint8_t>((i * 91 + 40) % 241),
                           static_cast<std::uint8_t>((i * 53 + 170) % 239)});
    return palette;
}

Made MakeUncompressed(int width, int height, int bitCount, bool topDown)
{
    BmpParts parts;
    parts.width = width;
    parts.height = topDown ? -height : height;
    parts.bitCount = static_cast<std::uint16_t>(bitCount);
    Picture expected;
    if (bitCount <= 8) {
        parts.palette = MakePalette(1 << bitCount);
        const IndexRows rows = MakeIndices(width, height, [&](int x, int y) {
            return static_cast<std::uint8_t>((x * 3 + y * 7) % (1 << bitCount));
        });
        parts.pixels = PackRows(width, height, bitCount, topDown, [&](int x, int y) { return std::uint32_t{rows[y][x]}; });
        expected = FromIndices(rows, parts.palette);
    } else if (bitCount == 16) {
        const Picture source = Pattern(width, height);
        parts.pixels = PackRows(width, height, 16, topDown, [&](int x, int y) {
            const Rgb c = source.At(x, y);
            return std::uint32_t{c.r} >> 3 << 10 | std::uint32_t{c.g} >> 3 << 5 | std::uint32_t{c.b} >> 3;
        });
        expected = MakePicture(width, height, [&](int x, int y) {
            const Rgb c = source.At(x, y);
            return Rgb{Widen(c.r >> 3, 5), Widen(c.g >> 3, 5), Widen(c.b >> 3, 5)};
        });
    } else {
        expected = Pattern(width, height);
        parts.pixels = PackRows(width, height, bitCount, topDown, [&](int x, int y) {
            const Rgb c = expected.At(x, y);
            return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
        });
    }
    return {WriteBmp(parts), std::move(expected)};
}

void WriteXpm(const std::filesystem::path& path, const IndexRows& rows, const std::vector<Rgb>& palette)
{
    // Two characters a pixel, from the printable ones XPM allows in a string.
    std::string symbols;
    for (char c = '#'; c <= '~'; ++c)
        if (c != '"' && c != '\\') symbols.push_back(c);
    auto code = [&](std::size_t i) {
        return std::string{symbols[i % symbols.size()], symbols[i / symbols.size()]};
    };
    const std::size_t height = rows.size();
    const std::size_t width = height ? rows[0].size() : 0;
    std::string text = "/* XPM */\nstatic char *picture[] = {\n\"" + std::to_string(width) + " " +
                       std::to_string(height) + " " + std::to_string(palette.size()) + " 2\",\n";
    char hex[8];
    for (std::size_t i = 0; i < palette.size(); ++i) {
        std::snprintf(hex, sizeof hex, "#%02X%02X%02X", palette[i].r, palette[i].g, palette[i].b);
        text += '"';
        text += code(i);
        text += " c ";
        text += hex;
        text += "\",\n";
    }
    for (const auto& row : rows) {
        text += '"';
        for (std::uint8_t index : row) text += code(index);
        text += "\",\n";
    }
    text += "};\n";
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

std::uint8_t Widen(std::uint32_t value, int bits)
{
    if (bits < 1 || bits > 8) throw std::invalid_argument("Widen: 1 to 8 bits");
    std::uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << bits) | value;
        filled += bits;
    }
    return static_cast<std::uint8_t>(out >> (filled - 8));
}

}  // namespace bmptest
