// Broken, cut off and mislabelled files. Each is made here from a good file by
// cutting or patching bytes, so the fault is in plain sight next to its test.
#include <gtest/gtest.h>

#include <climits>

#include "../core/CaseName.h"
#include "BmpTestSupport.h"
#include "BmpWriter.h"
#include "platform/Exception.h"
#include "workspace/ChannelPlanes.h"
#include "tests/support/QtPictures.h"

using namespace bmptest;

namespace {

constexpr int GoodWidth = 37;
constexpr int GoodHeight = 20;

struct Good {
    Bytes file;
    Picture picture;
    std::size_t dataOffset;
    std::size_t stride;  // bytes a stored row takes, padding included
};

Good MakeGood(int bitCount, bool topDown = false)
{
    Made made = MakeUncompressed(GoodWidth, GoodHeight, bitCount, topDown);
    const std::size_t offset = ParseBmp(made.file).dataOffset;
    const std::size_t stride = ((static_cast<std::size_t>(GoodWidth) * bitCount + 31) / 32) * 4;
    return {std::move(made.file), std::move(made.expected), offset, stride};
}

Bytes Cut(Bytes bytes, std::size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

Bytes Patched32(Bytes bytes, std::size_t at, std::uint32_t value)
{
    Put32(bytes, at, value);
    return bytes;
}

Bytes Patched16(Bytes bytes, std::size_t at, std::uint16_t value)
{
    Put16(bytes, at, value);
    return bytes;
}

Bytes WithSize(int bitCount, std::int32_t width, std::int32_t height)
{
    Bytes bytes = MakeGood(bitCount).file;
    Put32(bytes, OffWidth, static_cast<std::uint32_t>(width));
    Put32(bytes, OffHeight, static_cast<std::uint32_t>(height));
    return bytes;
}

// A 40 x 4 run-length picture, rows stored bottom row first, to break in
// chosen places; wide enough that its memory can show stale contents. The
// good stream decodes to, top to bottom:
//   row 0: 20 21 ... 27, then 32 x 6     row 1: 20 x 2, 20 x 3
//   row 2: 10 11 ... 17, then 32 x 5     row 3: 40 x 1
constexpr int RleWidth = 40;
const Bytes rleRow3 = {40, 1, 0, 0};
const Bytes rleRow2 = {0, 8, 10, 11, 12, 13, 14, 15, 16, 17, 32, 5, 0, 0};
const Bytes rleRow1 = {20, 2, 20, 3, 0, 0};
const Bytes rleRow0 = {0, 8, 20, 21, 22, 23, 24, 25, 26, 27, 32, 6, 0, 0};
const Bytes rleEnd = {0, 1};

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// An absolute run of `count` pixels, `first` and up, padded to an even length.
Bytes AbsoluteRun(std::uint8_t count, std::uint8_t first)
{
    Bytes run = {0, count};
    for (int i = 0; i < count; ++i) run.push_back(static_cast<std::uint8_t>(first + i));
    if (count % 2) run.push_back(0);
    return run;
}

// The same at 4 bits: `count` pixels 1, 2, 3 ... 15, 1, 2 ...
Bytes AbsoluteRun4(std::uint8_t count)
{
    Bytes run = {0, count};
    for (int i = 0; i < count; i += 2)
        run.push_back(static_cast<std::uint8_t>((i % 15 + 1) << 4 | ((i + 1) % 15 + 1)));
    if ((run.size() - 2) % 2) run.push_back(0);
    return run;
}

Bytes Rle8File(const Bytes& stream, std::int32_t height = 4)
{
    BmpParts parts;
    parts.width = RleWidth;
    parts.height = height;
    parts.bitCount = 8;
    parts.compression = BiRle8;
    parts.palette = MakePalette(256);
    parts.pixels = stream;
    return WriteBmp(parts);
}

Picture Rle8Picture()
{
    IndexRows rows(4, std::vector<std::uint8_t>(RleWidth));
    for (int x = 0; x < RleWidth; ++x) {
        rows[0][x] = static_cast<std::uint8_t>(x < 8 ? 20 + x : 6);
        rows[1][x] = static_cast<std::uint8_t>(x < 20 ? 2 : 3);
        rows[2][x] = static_cast<std::uint8_t>(x < 8 ? 10 + x : 5);
        rows[3][x] = 1;
    }
    return FromIndices(rows, MakePalette(256));
}

// The same at 4 bits, two rows: 1 2 3 4 5 6 7 8 then A B A B ... / 40 x 9.
Bytes Rle4File(const Bytes& stream)
{
    BmpParts parts;
    parts.width = RleWidth;
    parts.height = 2;
    parts.bitCount = 4;
    parts.compression = BiRle4;
    parts.palette = MakePalette(16);
    parts.pixels = stream;
    return WriteBmp(parts);
}

const Bytes rle4Row1 = {40, 0x99, 0, 0};
const Bytes rle4Row0 = {0, 8, 0x12, 0x34, 0x56, 0x78, 32, 0xAB, 0, 0};

Picture Rle4Picture()
{
    IndexRows rows(2, std::vector<std::uint8_t>(RleWidth, 9));
    for (int x = 0; x < RleWidth; ++x)
        rows[0][x] = static_cast<std::uint8_t>(x < 8 ? x + 1 : (x % 2 ? 0xB : 0xA));
    return FromIndices(rows, MakePalette(16));
}

// Another kind of picture under a bitmap's name; XPM as the source keeps
// ImageMagick from quantizing for GIF.
Bytes PictureAs(const char* coder)
{
    ScratchDir dir;
    const IndexRows rows = MakeIndices(GoodWidth, GoodHeight, [](int x, int y) {
        return static_cast<std::uint8_t>((x + 2 * y) % 32);
    });
    WriteXpm(dir / "in.xpm", rows, MakePalette(32));
    Convert({(dir / "in.xpm").string(), std::string(coder) + ":" + (dir / "out").string()});
    return ReadBytes(dir / "out");
}

// ---------------------------------------------------------------------------
// Files that must be refused, with a message, the planes left white and the
// earlier picture kept.

enum class Place { File, Missing, Directory };

struct FailureCase {
    const char* name;
    Bytes (*make)();
    Place place;
    const char* messageStart;  // followed by the file's name in quotes
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

constexpr const char* cannotOpen = "Cannot open file";
constexpr const char* cannotRead = "Cannot read the bitmap";

Bytes Nothing() { return {}; }

const FailureCase failureCases[] = {
    {"MissingFile", Nothing, Place::Missing, cannotOpen},
    {"DirectoryNamedBmp", Nothing, Place::Directory, cannotOpen},
    {"EmptyFile", Nothing, Place::File, cannotRead},
    {"CutInFileHeader", [] { return Cut(MakeGood(24).file, 9); }, Place::File, cannotRead},
    {"CutInInfoHeader", [] { return Cut(MakeGood(24).file, 30); }, Place::File, cannotRead},
    {"CutInPalette", [] { return Cut(MakeGood(8).file, FileAndInfoHeader + 4 * 100 + 2); }, Place::File, cannotRead},
    {"CutInPaletteOf1Bit", [] { return Cut(MakeGood(1).file, FileAndInfoHeader + 5); }, Place::File, cannotRead},
    {"CutInMasks",
     [] {
         Bytes b = MakeGood(16).file;
         Put32(b, OffCompression, BiBitfields);
         return Cut(b, FileAndInfoHeader + 6);
     },
     Place::File, cannotRead},
    {"NoPixelData", [] { return Cut(MakeGood(24).file, FileAndInfoHeader); }, Place::File, cannotRead},
    {"NoPixelDataAfterPalette", [] { return Cut(MakeGood(8).file, FileAndInfoHeader + 4 * 256); }, Place::File,
     cannotRead},
    {"PixelDataOffsetPastEnd",
     [] {
         const Good g = MakeGood(24);
         return Patched32(g.file, OffDataOffset, static_cast<std::uint32_t>(g.file.size() + 1000));
     },
     Place::File, cannotRead},
    {"PixelDataOffsetPastEnd_Bits8",
     [] {
         const Good g = MakeGood(8);
         return Patched32(g.file, OffDataOffset, static_cast<std::uint32_t>(g.file.size() + 1000));
     },
     Place::File, cannotRead},
    {"PixelDataOffsetHuge", [] { return Patched32(MakeGood(24).file, OffDataOffset, 0xFFFFFFF0u); }, Place::File,
     cannotRead},
    {"NotBitmapSignature", [] { return Patched16(MakeGood(24).file, 0, 0x4142); }, Place::File, cannotRead},
    {"ZeroWidth", [] { return WithSize(24, 0, GoodHeight); }, Place::File, cannotRead},
    {"NegativeWidth", [] { return WithSize(24, -GoodWidth, GoodHeight); }, Place::File, cannotRead},
    {"ZeroHeight", [] { return WithSize(24, GoodWidth, 0); }, Place::File, cannotRead},
    {"ZeroByZero", [] { return WithSize(24, 0, 0); }, Place::File, cannotRead},
    {"Huge_100000x100000", [] { return WithSize(24, 100000, 100000); }, Place::File, cannotRead},
    {"Huge_100000x100000_TopDown", [] { return WithSize(24, 100000, -100000); }, Place::File, cannotRead},
    {"Huge_100000x100000_Bits1", [] { return WithSize(1, 100000, 100000); }, Place::File, cannotRead},
    {"Huge_Width2Pow30", [] { return WithSize(24, 1 << 30, 1); }, Place::File, cannotRead},
    {"Huge_MaxIntByMaxInt", [] { return WithSize(32, INT_MAX, INT_MAX); }, Place::File, cannotRead},
    {"HeightMinInt", [] { return WithSize(24, GoodWidth, INT_MIN); }, Place::File, cannotRead},
    {"BitCount0", [] { return Patched16(MakeGood(24).file, OffBitCount, 0); }, Place::File, cannotRead},
    {"BitCount7", [] { return Patched16(MakeGood(8).file, OffBitCount, 7); }, Place::File, cannotRead},
    {"BitCount64", [] { return Patched16(MakeGood(32).file, OffBitCount, 64); }, Place::File, cannotRead},
    {"TwoPlanes", [] { return Patched16(MakeGood(24).file, OffPlanes, 2); }, Place::File, cannotRead},
    {"UnknownCompression", [] { return Patched32(MakeGood(24).file, OffCompression, 9); }, Place::File, cannotRead},
    // A JPEG or PNG inside a bitmap's headers: not a kind this program reads.
    {"CompressionJpeg", [] { return Patched32(MakeGood(24).file, OffCompression, 4); }, Place::File, cannotRead},
    {"CompressionPng", [] { return Patched32(MakeGood(24).file, OffCompression, 5); }, Place::File, cannotRead},
    {"Rle8At24Bits", [] { return Patched32(MakeGood(24).file, OffCompression, BiRle8); }, Place::File, cannotRead},
    {"Rle8At4Bits", [] { return Patched32(MakeGood(4).file, OffCompression, BiRle8); }, Place::File, cannotRead},
    {"Rle4At8Bits", [] { return Patched32(MakeGood(8).file, OffCompression, BiRle4); }, Place::File, cannotRead},
    {"BitfieldsAt24Bits", [] { return Patched32(MakeGood(24).file, OffCompression, BiBitfields); }, Place::File,
     cannotRead},
    {"BitfieldsAt8Bits", [] { return Patched32(MakeGood(8).file, OffCompression, BiBitfields); }, Place::File,
     cannotRead},
    {"PaletteOf300Colours", [] { return Patched32(MakeGood(8).file, OffColorsUsed, 300); }, Place::File, cannotRead},
    {"PaletteOfBillionsOfColours", [] { return Patched32(MakeGood(8).file, OffColorsUsed, 0x7FFFFFFF); },
     Place::File, cannotRead},
    {"CutInRle8AbsoluteRun", [] { return Rle8File(Cut(Join({rleRow3, rleRow2}), rleRow3.size() + 5)); },
     Place::File, cannotRead},
    {"PngNamedBmp", [] { return PictureAs("PNG"); }, Place::File, cannotRead},
    {"JpegNamedBmp", [] { return PictureAs("JPEG"); }, Place::File, cannotRead},
    {"GifNamedBmp", [] { return PictureAs("GIF"); }, Place::File, cannotRead},
};

class BmpMalformed : public BmpLoadTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BmpMalformed, FailsWithAMessageAndChangesNothing)
{
    const FailureCase& c = GetParam();
    const std::filesystem::path file = dir_ / "broken.bmp";
    if (c.place == Place::File) WriteBytes(file, c.make());
    if (c.place == Place::Directory) std::filesystem::create_directory(file);

    const long peakBefore = PeakResidentKb();
    const std::string message = ExpectCleanFailure(file);
    EXPECT_LT(PeakResidentKb() - peakBefore, 256 * 1024) << "kilobytes taken by a refused file";

    RecordProperty("message", message);
    const std::string start = std::string(c.messageStart) + " \"" + file.string() + "\"";
    EXPECT_EQ(message.substr(0, start.size()), start) << message;
    EXPECT_GT(message.size(), start.size() + 3) << "no reason given: " << message;
}

INSTANTIATE_TEST_SUITE_P(BmpMalformed, BmpMalformed, ::testing::ValuesIn(failureCases), CaseName{});

// ---------------------------------------------------------------------------
// Damaged files a reader may refuse, or read as far as it can. Either is
// fine; what is not is a crash or a picture that depends on what was in
// memory before. Rows the file does hold in full must come out right.

struct Damaged {
    Bytes file;
    Picture good;       // what the undamaged file shows
    int firstKnownRow;  // rows [first, end) of `good` lie whole in the file
    int endKnownRow;
    // Bits of each channel compared: at 16 bits only those stored, as how
    // they widen is the variant tests' business.
    Rgb keep = {0xFF, 0xFF, 0xFF};
};

struct DamagedCase {
    const char* name;
    Damaged (*make)();
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.name; }

// Keeps the headers and `rows` whole stored rows and half of the next.
Damaged CutInPixels(int bitCount, bool topDown, int rows)
{
    Good g = MakeGood(bitCount, topDown);
    const std::size_t keep = g.dataOffset + g.stride * rows + g.stride / 2;
    const int first = topDown ? 0 : GoodHeight - rows;
    const Rgb bits = bitCount == 16 ? Rgb{0xF8, 0xF8, 0xF8} : Rgb{0xFF, 0xFF, 0xFF};
    return {Cut(g.file, keep), g.picture, first, first + rows, bits};
}

Damaged Whole(Bytes file, Picture good)
{
    const int height = good.height;
    return {std::move(file), std::move(good), 0, height};
}
Damaged Unknown(Bytes file, Picture good) { return {std::move(file), std::move(good), 0, 0}; }

const DamagedCase damagedCases[] = {
    {"CutInPixelData_Bits1", [] { return CutInPixels(1, false, 7); }},
    {"CutInPixelData_Bits4", [] { return CutInPixels(4, false, 7); }},
    {"CutInPixelData_Bits8", [] { return CutInPixels(8, false, 7); }},
    {"CutInPixelData_Bits16", [] { return CutInPixels(16, false, 7); }},
    {"CutInPixelData_Bits24", [] { return CutInPixels(24, false, 7); }},
    {"CutInPixelData_Bits32", [] { return CutInPixels(32, false, 7); }},
    {"CutInPixelData_Bits8_TopDown", [] { return CutInPixels(8, true, 7); }},
    {"CutInPixelData_Bits24_TopDown", [] { return CutInPixels(24, true, 7); }},
    {"CutInFirstRow_Bits24", [] { return CutInPixels(24, false, 0); }},
    {"CutInRle8BetweenRows", [] { return Damaged{Rle8File(rleRow3), Rle8Picture(), 3, 4}; }},
    {"CutInRle8EncodedRun", [] { return Damaged{Rle8File(Join({rleRow3, {4}})), Rle8Picture(), 3, 4}; }},
    {"CutInRle4", [] { return Damaged{Rle4File(Join({rle4Row1, {0, 8, 0x12}})), Rle4Picture(), 1, 2}; }},
    // Ended before the last rows, which Windows leaves as they were and
    // ImageMagick refuses.
    {"Rle8EarlyEndOfBitmap", [] { return Damaged{Rle8File(Join({rleRow3, rleEnd})), Rle8Picture(), 3, 4}; }},
    {"Rle4EarlyEndOfBitmap", [] { return Damaged{Rle4File(Join({rle4Row1, rleEnd})), Rle4Picture(), 1, 2}; }},
    // The streams these cases break, whole: what the known rows are held to.
    {"Rle8Undamaged", [] { return Whole(Rle8File(Join({rleRow3, rleRow2, rleRow1, rleRow0, rleEnd})), Rle8Picture()); }},
    {"Rle4Undamaged", [] { return Whole(Rle4File(Join({rle4Row1, rle4Row0, rleEnd})), Rle4Picture()); }},
    // Runs that go on past the end of their row or of the picture.
    {"Rle8RunPastRowEnd", [] { return Unknown(Rle8File(Join({rleRow3, {200, 5, 0, 0}, rleRow1, rleRow0, rleEnd})),
                                              Rle8Picture()); }},
    {"Rle8RunPastPictureEnd",
     [] { return Unknown(Rle8File(Join({rleRow3, rleRow2, rleRow1, {255, 7}, rleEnd})), Rle8Picture()); }},
    {"Rle8AbsoluteRunPastRowEnd",
     [] { return Unknown(Rle8File(Join({rleRow3, AbsoluteRun(45, 50), {0, 0}, rleRow1, rleRow0, rleEnd})),
                         Rle8Picture()); }},
    {"Rle8JumpPastPictureEnd",
     [] { return Unknown(Rle8File(Join({rleRow3, {0, 2, 255, 255, 4, 9}, rleEnd})), Rle8Picture()); }},
    {"Rle8MoreRowsThanHeight",
     [] {
         return Whole(Rle8File(Join({rleRow3, rleRow2, rleRow1, rleRow0, rleRow2, rleRow3, rleEnd})), Rle8Picture());
     }},
    {"Rle4RunPastRowEnd",
     [] { return Unknown(Rle4File(Join({{200, 0x55, 0, 0}, rle4Row0, rleEnd})), Rle4Picture()); }},
    {"Rle4AbsoluteRunPastRowEnd",
     [] { return Unknown(Rle4File(Join({rle4Row1, AbsoluteRun4(48), {0, 0}, rleEnd})), Rle4Picture()); }},
    // Run-length data the header calls top-down.
    {"Rle8TopDown",
     [] { return Unknown(Rle8File(Join({rleRow3, rleRow2, rleRow1, rleRow0, rleEnd}), -4), Rle8Picture()); }},
    // Indices past the end of a 4-colour palette.
    {"IndexPastPalette",
     [] {
         BmpParts parts;
         parts.width = GoodWidth;
         parts.height = GoodHeight;
         parts.bitCount = 8;
         parts.palette = MakePalette(4);
         parts.pixels = PackRows(GoodWidth, GoodHeight, 8, false,
                                 [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 9); });
         return Unknown(WriteBmp(parts), {});
     }},
    {"PaletteOfMinusOneColours", [] { return Unknown(Patched32(MakeGood(8).file, OffColorsUsed, 0xFFFFFFFFu), {}); }},
    // The pixel data said to start inside the headers: the palette's end is
    // the only place it can start.
    {"PixelDataOffsetZero",
     [] {
         Good g = MakeGood(8);
         return Whole(Patched32(g.file, OffDataOffset, 0), g.picture);
     }},
    {"InfoHeaderSizeZero", [] { return Unknown(Patched32(MakeGood(24).file, OffHeaderSize, 0), {}); }},
    {"InfoHeaderSize1000", [] { return Unknown(Patched32(MakeGood(24).file, OffHeaderSize, 1000), {}); }},
    {"BitfieldsAllMasksZero",
     [] {
         Bytes b = MakeGood(16).file;
         Put32(b, OffCompression, BiBitfields);
         b.insert(b.begin() + FileAndInfoHeader, 12, 0);
         Put32(b, OffDataOffset, static_cast<std::uint32_t>(FileAndInfoHeader + 12));
         return Unknown(b, {});
     }},
    // Sizes past the reader's allocation limit with almost nothing behind
    // them: refused at once.
    {"LargeHeaderTinyFile_Bits8", [] { return Unknown(Cut(WithSize(8, 16000, 16000), 2000), {}); }},
    {"LargeHeaderTinyFile_Bits8_TopDown", [] { return Unknown(Cut(WithSize(8, 16000, -16000), 2000), {}); }},
    {"LargeHeaderTinyFile_Bits24", [] { return Unknown(Cut(WithSize(24, 8000, 8000), 2000), {}); }},
    // Within the limit: 9 MB of picture for a 2 KB file.
    {"LargeHeaderTinyFile_Bits8_3000", [] { return Unknown(Cut(WithSize(8, 3000, 3000), 2000), {}); }},
    {"LargeHeaderTinyFile_Bits8_3000_TopDown", [] { return Unknown(Cut(WithSize(8, 3000, -3000), 2000), {}); }},
};

struct Outcome {
    bool accepted = false;
    std::string message;
    PlaneSnapshot planes;
};

class BmpDamaged : public BmpLoadTest, public ::testing::WithParamInterface<DamagedCase> {
protected:
    Outcome LoadOver(const std::filesystem::path& file, std::uint8_t garbage)
    {
        // Only the size from the header: the rest may be nonsense.
        const Bytes bytes = ReadBytes(file);
        auto field = [&](std::size_t at) {
            return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                             static_cast<std::uint32_t>(bytes[at + 3]) << 24);
        };
        HeapPoison poison;
        poison.Prepare(std::abs(field(OffWidth)), std::abs(field(OffHeight)), garbage);
        ResetPlanes();
        Outcome o;
        try {
            Load(file);
            o.accepted = true;
        } catch (const Exception& e) {
            o.message = e.Message();
            EXPECT_TRUE(PlanesAllWhite());
            EXPECT_TRUE(ToQImage(*source_.Bitmap) == before_);
        }
        o.planes = SnapshotPlanes();
        return o;
    }
};

TEST_P(BmpDamaged, NoCrashAndTheSameResultWhateverWasInMemory)
{
    const Damaged d = GetParam().make();
    const std::filesystem::path file = Write("damaged.bmp", d.file);

    const long peakBefore = PeakResidentKb();
    const Outcome first = LoadOver(file, 0x00);
    EXPECT_LT(PeakResidentKb() - peakBefore, 1024 * 1024) << "kilobytes taken by a damaged file";
    RecordProperty("outcome", first.accepted ? "accepted" : "refused: " + first.message);
    for (std::uint8_t garbage : {std::uint8_t{0xA5}, std::uint8_t{0x5A}}) {
        const Outcome again = LoadOver(file, garbage);
        EXPECT_EQ(again.accepted, first.accepted) << "garbage " << int(garbage);
        EXPECT_EQ(again.message, first.message);
        EXPECT_TRUE(SameSnapshot(first.planes, again.planes))
            << "pixels the file does not hold came from memory (garbage " << int(garbage) << ")";
    }

    if (first.accepted) {
        const Picture got = FromBitmap(*source_.Bitmap);
        for (int y = d.firstKnownRow; y < d.endKnownRow; ++y)
            for (int x = 0; x < d.good.width; ++x) {
                const Rgb g = got.At(x, y), w = d.good.At(x, y);
                ASSERT_TRUE(!((g.r ^ w.r) & d.keep.r || (g.g ^ w.g) & d.keep.g || (g.b ^ w.b) & d.keep.b))
                    << "(" << x << ',' << y << ") is " << g << ", expected " << w << ", in a row the file holds";
            }
    } else {
        EXPECT_FALSE(first.message.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(BmpDamaged, BmpDamaged, ::testing::ValuesIn(damagedCases), CaseName{});

}  // namespace
