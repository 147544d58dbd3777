// Hostile and broken files chosen in the open-picture dialog. Each goes
// through what 開啟檔案 does once the dialog is confirmed: ResetPlanes, then
// LoadChosenPicture. A file that fails must say why in words the user reads,
// and leave all six planes at 255 and the left panel's picture as it was; a
// file that loads must put its top-left corner into R, G and B.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include <jerror.h>  // the library's message codes, by name

#include "HostileSupport.h"
#include "core/CaseName.h"
#include "input/OpenPicture.h"
#include "platform/Exception.h"
#include "platform/JPEG.h"
#include "workspace/ChannelPlanes.h"
#include "tests/support/QtPictures.h"

using namespace hostile;

namespace {

// ---- Pictures the broken files are made from --------------------------------

// A baseline 4:2:0 file with restart markers, and a comment after its APP0,
// so that every kind of header segment is there to be cut.
const Bytes& BaselineJpeg()
{
    static const Bytes bytes = [] {
        Bytes b = Cjpeg(48, 40, {"-sample", "2x2", "-restart", "1"});
        const Segment app0 = FindSegment(b, 0xE0);
        const Bytes comment = {0xFF, 0xFE, 0x00, 0x0A, 'h', 'o', 's', 't', 'i', 'l', 'e', '!'};
        b.insert(b.begin() + static_cast<long>(app0.offset + app0.size), comment.begin(), comment.end());
        return b;
    }();
    return bytes;
}

const Bytes& ProgressiveJpeg()
{
    static const Bytes bytes = Cjpeg(48, 40, {"-progressive"});
    return bytes;
}

const Bytes& GrayProgressiveJpeg()
{
    static const Bytes bytes = Cjpeg(64, 64, {"-grayscale", "-progressive"});
    return bytes;
}

// The first DHT segment's bytes after its length: class and index, then the
// 16 counts of codes by length.
std::size_t FirstHuffmanTable(const Bytes& jpeg) { return FindSegment(jpeg, 0xC4).offset + 4; }

Bytes WithHuffmanCounts(const std::function<void(unsigned char* counts)>& change)
{
    Bytes b = BaselineJpeg();
    change(&b[FirstHuffmanTable(b) + 1]);
    return b;
}

// A progressive picture of 15000 x 15000 pixels, as big as the decoder's
// memory bound lets a progressive picture be, followed by `scans` scans with
// no data. The decoder buffers the whole picture and walks all of it for
// every scan, however empty.
Bytes ManyEmptyScans(int scans)
{
    const Bytes& gray = GrayProgressiveJpeg();
    const Segment sos = FindSegment(gray, 0xDA);
    Bytes b = Head(PatchSize(gray, 15000, 15000), sos.offset);
    for (int k = 0; k < scans; ++k) b.insert(b.end(), gray.begin() + static_cast<long>(sos.offset), gray.begin() + static_cast<long>(sos.offset + sos.size));
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

// Two components, which no screen can show.
Bytes TwoComponents() { return CompressedComponents(2); }

// An 8-bit picture with an RLE8 stream given as it lies in the file.
Bytes Rle8(int width, int height, const Bytes& stream)
{
    Bitmap bmp = PaletteBitmap(width, height, 16);
    bmp.compression = 1;
    bmp.pixels = stream;
    return WriteBitmap(bmp);
}

Bytes Rle4(int width, int height, const Bytes& stream)
{
    Bitmap bmp = PaletteBitmap(width, height, 16);
    bmp.bitCount = 4;
    bmp.compression = 2;
    bmp.pixels = stream;
    return WriteBitmap(bmp);
}

// A 1-bit bitmap with the 12-byte header of OS/2, whose palette of 3-byte
// entries sits where a 40-byte header keeps the bit count and compression:
// colour 0's red is 16, colour 1's blue 0, so those bytes read 16 and 0.
constexpr QRgb kOs2Colours[2] = {qRgb(16, 0, 0), qRgb(255, 192, 0)};
constexpr unsigned char kOs2Row[4] = {0b10110010, 0b01010101, 0b11110000, 0b00001111};

Bytes Os2OneBit()
{
    const int width = 32, height = 2;
    Bytes b = {'B', 'M'};
    b = Put32(b, 2, 14 + 12 + 6 + 8);
    b = Put32(b, BmpDataOffset, 14 + 12 + 6);
    b = Put32(b, BmpHeaderSize, 12);
    b = Put16(b, 18, width);
    b = Put16(b, 20, height);
    b = Put16(b, 22, 1);  // planes
    b = Put16(b, 24, 1);  // bits
    for (QRgb c : kOs2Colours)
        b.insert(b.end(), {static_cast<unsigned char>(qBlue(c)), static_cast<unsigned char>(qGreen(c)),
                           static_cast<unsigned char>(qRed(c))});
    for (int row = 0; row < height; ++row) b.insert(b.end(), std::begin(kOs2Row), std::end(kOs2Row));
    return b;
}

void ShowsOs2OneBit(const QImage& picture)
{
    ASSERT_EQ(picture.size(), QSize(32, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool set = kOs2Row[x / 8] >> (7 - x % 8) & 1;
            EXPECT_EQ(picture.pixel(x, y) & 0xFFFFFF, kOs2Colours[set] & 0xFFFFFF) << "pixel (" << x << "," << y << ")";
        }
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// ---- The table --------------------------------------------------------------

enum class Outcome {
    Fails,     // an Exception whose message holds `message`
    Loads,     // the picture arrives
    Finishes,  // either, as long as the load ends; a failure's message holds `message`
};

struct Made {
    std::string path;   // what is chosen in the dialog
    bool denied = false;  // chmod 000 was meant to keep it from being read
};

struct BadInput {
    std::string name;
    int entry;  // JpegEntry or BmpEntry
    std::function<Made(const Scratch&)> make;
    Outcome outcome;
    std::string message;  // a part of what the user reads
    int screenDepth = 24;
    // After a load: more that the picture must show.
    std::function<void(const QImage& picture)> check = nullptr;
};

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

// A file of these bytes under this name.
std::function<Made(const Scratch&)> File(const std::string& name, std::function<Bytes()> bytes)
{
    return [=](const Scratch& dir) { return Made{dir.Write(name, bytes())}; };
}

std::function<Made(const Scratch&)> Jpg(std::function<Bytes()> bytes) { return File("picture.jpg", std::move(bytes)); }
std::function<Made(const Scratch&)> Bmp(std::function<Bytes()> bytes) { return File("picture.bmp", std::move(bytes)); }

std::function<Made(const Scratch&)> Directory(const std::string& name)
{
    return [=](const Scratch& dir) {
        std::filesystem::create_directory(dir.Path(name));
        return Made{dir.Path(name)};
    };
}

std::function<Made(const Scratch&)> Unreadable(const std::string& name, std::function<Bytes()> bytes)
{
    return [=](const Scratch& dir) {
        const std::string path = dir.Write(name, bytes());
        ::chmod(path.c_str(), 0);
        return Made{path, true};
    };
}

// Chosen in the dialog, then gone before the load starts.
std::function<Made(const Scratch&)> Removed(const std::string& name, std::function<Bytes()> bytes)
{
    return [=](const Scratch& dir) {
        const std::string path = dir.Write(name, bytes());
        std::filesystem::remove(path);
        return Made{path};
    };
}

// A named pipe with no one at the other end: opening it for reading waits
// for a writer that never comes.
std::function<Made(const Scratch&)> Pipe(const std::string& name)
{
    return [=](const Scratch& dir) {
        const std::string path = dir.Path(name);
        if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
        return Made{path};
    };
}

std::function<Made(const Scratch&)> Existing(const std::string& path)
{
    return [=](const Scratch&) { return Made{path}; };
}

const Bytes& Pattern24()
{
    static const Bytes bytes = PatternBitmap(20, 10);
    return bytes;
}

// The picture's top rows, which a bottom-up file stores last, are black
// from row `missing` up: the file ends before them.
std::function<void(const QImage&)> TopRowsBlack(int width, int height, int missing)
{
    return [=](const QImage& picture) {
        ASSERT_EQ(picture.size(), QSize(width, height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb want = y < missing ? qRgb(0, 0, 0) : PatternPixel(x, y);
                ASSERT_EQ(picture.pixel(x, y) & 0xFFFFFF, want & 0xFFFFFF) << "pixel (" << x << "," << y << ")";
            }
    };
}

std::function<void(const QImage&)> SizeIs(int width, int height)
{
    return [=](const QImage& picture) { EXPECT_EQ(picture.size(), QSize(width, height)); };
}

std::function<void(const QImage&)> ShowsPattern(int width, int height)
{
    return [=](const QImage& picture) { EXPECT_TRUE(SamePixels(picture, PatternImage(width, height))); };
}

const std::string CannotOpen = "Cannot open file";
const std::string CannotReadBitmap = "Cannot read the bitmap";
const std::string PastTheEnd = "its pixel data would start past the end of the file";

// ---- The fixture ------------------------------------------------------------

class LoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The left panel already shows a picture, which a failed load keeps.
        LoadChosenPicture(BmpEntry, scratch_.Write("earlier.bmp", PatternBitmap(30, 20)), source_);
        before_ = ToQImage(*source_.Bitmap);
    }
    void TearDown() override { ScreenColorDepth = savedDepth_; }

    // What 開啟檔案 does after the dialog; the message if it fails.
    std::optional<std::string> Open(int entry, const std::string& path)
    {
        ResetPlanes();
        try {
            LoadChosenPicture(entry, path, source_);
        } catch (const Exception& e) {
            return e.Message();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "not the program's Exception: " << e.what();
            return std::string();
        }
        return std::nullopt;
    }

    void ExpectCleanFailure(const std::string& message, const std::string& want)
    {
        EXPECT_NE(message.find(want), std::string::npos) << "message: " << message << "\nwanted: " << want;
        EXPECT_TRUE(AllPlanes255());
        EXPECT_TRUE(ToQImage(*source_.Bitmap) == before_) << "the earlier picture was replaced or changed";
    }

    void ExpectLoaded(const std::function<void(const QImage&)>& check)
    {
        const QImage& picture = ToQImage(*source_.Bitmap);
        ASSERT_FALSE(picture.isNull());
        EXPECT_TRUE(PlanesHoldPicture(picture));
        if (check) check(picture);
    }

    Scratch scratch_;
    TPicture source_;
    QImage before_;
    const int savedDepth_ = ScreenColorDepth;
};

class BadInputTest : public LoadTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadInputTest, EndsAsPromised)
{
    const BadInput& c = GetParam();
    const Made made = c.make(scratch_);
    if (made.denied && ::access(made.path.c_str(), R_OK) == 0)
        GTEST_SKIP() << "this process reads files whatever their permissions (it runs as root), so a file it "
                        "may not read cannot be made here";
    ScreenColorDepth = c.screenDepth;
    const std::optional<std::string> message = Open(c.entry, made.path);
    switch (c.outcome) {
    case Outcome::Fails:
        ASSERT_TRUE(message) << "loaded, a " << source_.Bitmap->Width() << " x " << source_.Bitmap->Height()
                             << " picture";
        ExpectCleanFailure(*message, c.message);
        break;
    case Outcome::Loads:
        ASSERT_FALSE(message) << *message;
        ExpectLoaded(c.check);
        break;
    case Outcome::Finishes:
        if (message)
            ExpectCleanFailure(*message, c.message);
        else
            ExpectLoaded(c.check);
        break;
    }
}

// ---- JPEG entry ---------------------------------------------------------------

const BadInput kJpegInputs[] = {
    {"EmptyFile", JpegEntry, Jpg([] { return Bytes{}; }), Outcome::Fails, JpegError(JERR_INPUT_EMPTY)},
    {"OneByte", JpegEntry, Jpg([] { return Bytes{0xFF}; }), Outcome::Fails, JpegError(JERR_NO_SOI)},
    {"OneLetter", JpegEntry, Jpg([] { return Text("A"); }), Outcome::Fails, JpegError(JERR_NO_SOI)},
    {"Text", JpegEntry, Jpg([] { return Text("This is a letter, not a picture.\n"); }), Outcome::Fails,
     JpegError(JERR_NO_SOI)},
    {"BitmapChosenAsJpeg", JpegEntry, File("picture.bmp", [] { return Pattern24(); }), Outcome::Fails,
     JpegError(JERR_NO_SOI)},
    {"PngChosenAsJpeg", JpegEntry, File("picture.png", [] { return Encoded(PatternImage(9, 9), "PNG"); }),
     Outcome::Fails, JpegError(JERR_NO_SOI)},
    {"TablesOnly", JpegEntry,
     Jpg([] {
         // An abbreviated stream of tables only, as some programs keep apart.
         const Bytes& b = BaselineJpeg();
         const Segment dqt = FindSegment(b, 0xDB), dht = FindSegment(b, 0xC4);
         Bytes t = {0xFF, 0xD8};
         t.insert(t.end(), b.begin() + static_cast<long>(dqt.offset), b.begin() + static_cast<long>(dqt.offset + dqt.size));
         t.insert(t.end(), b.begin() + static_cast<long>(dht.offset), b.begin() + static_cast<long>(dht.offset + dht.size));
         t.insert(t.end(), {0xFF, 0xD9});
         return t;
     }),
     Outcome::Fails, JpegError(JERR_NO_IMAGE)},
    {"HuffmanCountsOver256", JpegEntry, Jpg([] { return WithHuffmanCounts([](unsigned char* n) { n[0] = 0xFF; }); }),
     Outcome::Fails, JpegError(JERR_BAD_HUFF_TABLE)},
    {"HuffmanCodesDoNotFit", JpegEntry,
     // Three codes of one bit: the same number of codes, moved where they
     // cannot all have a code of their own.
     Jpg([] {
         return WithHuffmanCounts([](unsigned char* n) {
             const int moved = 3 - n[0];
             n[0] = 3;
             for (int k = 15; k > 0 && moved > 0; --k)
                 if (n[k] >= moved) {
                     n[k] = static_cast<unsigned char>(n[k] - moved);
                     break;
                 }
         });
     }),
     Outcome::Fails, JpegError(JERR_BAD_HUFF_TABLE)},
    {"HuffmanTableIndex5", JpegEntry,
     Jpg([] {
         Bytes b = BaselineJpeg();
         b[FirstHuffmanTable(b)] = 0x05;
         return b;
     }),
     Outcome::Fails, JpegError(JERR_DHT_INDEX)},
    {"ScanUsesUndefinedHuffmanTable", JpegEntry,
     Jpg([] {
         Bytes b = BaselineJpeg();
         b[FindSegment(b, 0xDA).offset + 6] = 0x22;  // the first component's tables: 2 and 2
         return b;
     }),
     Outcome::Fails, JpegError(JERR_NO_HUFF_TABLE)},
    {"ZeroByZero", JpegEntry, Jpg([] { return PatchSize(BaselineJpeg(), 0, 0); }), Outcome::Fails,
     JpegError(JERR_EMPTY_IMAGE)},
    {"ZeroWide", JpegEntry, Jpg([] { return PatchSize(BaselineJpeg(), 0, 40); }), Outcome::Fails,
     JpegError(JERR_EMPTY_IMAGE)},
    {"ZeroHigh", JpegEntry, Jpg([] { return PatchSize(BaselineJpeg(), 48, 0); }), Outcome::Fails,
     JpegError(JERR_EMPTY_IMAGE)},
    {"Size65535x65535", JpegEntry, Jpg([] { return PatchSize(BaselineJpeg(), 65535, 65535); }), Outcome::Fails,
     JpegError(JERR_IMAGE_TOO_BIG)},
    // The largest the library takes: only the corner is decoded, the rest of
    // the picture is missing from the file and never looked at.
    {"Size65500x65500", JpegEntry, Jpg([] { return PatchSize(BaselineJpeg(), 65500, 65500); }), Outcome::Loads, "",
     24, SizeIs(PlaneWidth, PlaneHeight)},
    // Quantizing needs the whole picture at once: far beyond the memory bound.
    {"Size65500x65500OnAn8BitScreen", JpegEntry, Jpg([] { return PatchSize(BaselineJpeg(), 65500, 65500); }),
     Outcome::Fails, JpegError(JERR_NO_BACKING_STORE), 8},
    {"Size65500x65500Progressive", JpegEntry, Jpg([] { return PatchSize(ProgressiveJpeg(), 65500, 65500); }),
     Outcome::Fails, JpegError(JERR_NO_BACKING_STORE)},
    {"TwelveBit", JpegEntry, Jpg([] { return PatchFrame(BaselineJpeg(), 0xC1, 12, 48, 40); }), Outcome::Fails,
     JpegError(JERR_BAD_PRECISION)},
    {"SixteenBit", JpegEntry, Jpg([] { return PatchFrame(BaselineJpeg(), 0xC0, 16, 48, 40); }), Outcome::Fails,
     JpegError(JERR_BAD_PRECISION)},
    {"Lossless", JpegEntry, Jpg([] { return PatchFrame(BaselineJpeg(), 0xC3, 8, 48, 40); }), Outcome::Fails,
     JpegError(JERR_SOF_UNSUPPORTED)},
    {"Hierarchical", JpegEntry, Jpg([] { return PatchFrame(BaselineJpeg(), 0xC5, 8, 48, 40); }), Outcome::Fails,
     JpegError(JERR_SOF_UNSUPPORTED)},
    // Extended sequential at 8 bits is baseline by another name.
    {"ExtendedSequential8Bit", JpegEntry, Jpg([] { return PatchFrame(BaselineJpeg(), 0xC1, 8, 48, 40); }),
     Outcome::Loads, "", 24, SizeIs(48, 40)},
    {"TwoComponents", JpegEntry, Jpg(TwoComponents), Outcome::Fails, "has 2 colour components"},
    // However many scans a file has, loading it must end within seconds.
    {"TwentyThousandEmptyScans", JpegEntry, Jpg([] { return ManyEmptyScans(20000); }), Outcome::Finishes, "JPEG"},
    {"Directory", JpegEntry, Directory("folder.jpg"), Outcome::Fails, CannotOpen},
    {"Unreadable", JpegEntry, Unreadable("locked.jpg", [] { return BaselineJpeg(); }), Outcome::Fails, CannotOpen},
    {"RemovedAfterTheDialog", JpegEntry, Removed("gone.jpg", [] { return BaselineJpeg(); }), Outcome::Fails,
     CannotOpen},
    {"NamedPipe", JpegEntry, Pipe("pipe.jpg"), Outcome::Fails, CannotOpen},
    // A device without end: read up to the bound, then refused.
    {"DevZero", JpegEntry, Existing("/dev/zero"), Outcome::Fails, "is too large for a picture"},
    {"DevNull", JpegEntry, Existing("/dev/null"), Outcome::Fails, JpegError(JERR_INPUT_EMPTY)},
};
INSTANTIATE_TEST_SUITE_P(Jpeg, BadInputTest, ::testing::ValuesIn(kJpegInputs), CaseName{});

// ---- BMP entry ----------------------------------------------------------------

// Five pixels of palette index 3, then the end of the line.
const Bytes kRleRowOfThrees = {5, 3, 0, 0};

const BadInput kBmpInputs[] = {
    {"EmptyFile", BmpEntry, Bmp([] { return Bytes{}; }), Outcome::Fails, CannotReadBitmap},
    {"OneByte", BmpEntry, Bmp([] { return Bytes{'B'}; }), Outcome::Fails, CannotReadBitmap},
    {"Text", BmpEntry, Bmp([] { return Text("BM, but only a letter after that.\n"); }), Outcome::Fails,
     CannotReadBitmap},
    {"CutInFileHeader", BmpEntry, Bmp([] { return Head(Pattern24(), 10); }), Outcome::Fails, CannotReadBitmap},
    {"CutAfterFileHeader", BmpEntry, Bmp([] { return Head(Pattern24(), 14); }), Outcome::Fails, PastTheEnd},
    {"CutInInfoHeader", BmpEntry, Bmp([] { return Head(Pattern24(), 30); }), Outcome::Fails, PastTheEnd},
    {"CutInPalette", BmpEntry, Bmp([] { return Head(WriteBitmap(PaletteBitmap(8, 8, 256)), BmpPalette + 100); }),
     Outcome::Fails, PastTheEnd},
    // Rows are stored bottom row first: the top four of ten are missing.
    {"CutInPixels", BmpEntry, Bmp([] { return Head(Pattern24(), BmpPalette + 6 * 60); }), Outcome::Loads, "", 24,
     TopRowsBlack(20, 10, 4)},
    {"CutInsideARow", BmpEntry, Bmp([] { return Head(Pattern24(), BmpPalette + 6 * 60 + 31); }), Outcome::Loads, "",
     24, TopRowsBlack(20, 10, 4)},
    {"OffsetPastTheEnd", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpDataOffset, 5000); }), Outcome::Fails,
     PastTheEnd},
    {"OffsetAtTheEnd", BmpEntry,
     Bmp([] { return Put32(Pattern24(), BmpDataOffset, static_cast<std::uint32_t>(Pattern24().size())); }),
     Outcome::Fails, PastTheEnd},
    {"OffsetAllOnes", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpDataOffset, 0xFFFFFFFF); }), Outcome::Fails,
     PastTheEnd},
    // Pointing back into the header: the reader goes on where the header ends.
    {"OffsetZero", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpDataOffset, 0); }), Outcome::Loads, "", 24,
     ShowsPattern(20, 10)},
    {"HeaderSizeZero", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpHeaderSize, 0); }), Outcome::Fails,
     CannotReadBitmap},
    {"HeaderSizeHuge", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpHeaderSize, 0x7FFFFFFF); }), Outcome::Fails,
     CannotReadBitmap},
    {"PlanesTwo", BmpEntry, Bmp([] { return Put16(Pattern24(), BmpPlanes, 2); }), Outcome::Fails, CannotReadBitmap},
    {"BitCountZero", BmpEntry, Bmp([] { return Put16(Pattern24(), BmpBitCount, 0); }), Outcome::Fails,
     CannotReadBitmap},
    {"BitCount3", BmpEntry, Bmp([] { return Put16(Pattern24(), BmpBitCount, 3); }), Outcome::Fails, CannotReadBitmap},
    {"BitCount64", BmpEntry, Bmp([] { return Put16(Pattern24(), BmpBitCount, 64); }), Outcome::Fails,
     CannotReadBitmap},
    {"CompressionJpeg", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpCompression, 4); }), Outcome::Fails,
     CannotReadBitmap},
    {"CompressionPng", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpCompression, 5); }), Outcome::Fails,
     CannotReadBitmap},
    {"CompressionUnknown", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpCompression, 77); }), Outcome::Fails,
     CannotReadBitmap},
    {"PaletteOf1000", BmpEntry,
     Bmp([] { return Put32(WriteBitmap(PaletteBitmap(8, 8, 16)), BmpColorsUsed, 1000); }), Outcome::Fails,
     CannotReadBitmap},
    {"PaletteOfAllOnes", BmpEntry,
     Bmp([] { return Put32(WriteBitmap(PaletteBitmap(8, 8, 16)), BmpColorsUsed, 0xFFFFFFFF); }), Outcome::Fails,
     CannotReadBitmap},
    {"Rle8RunPastRowEnd", BmpEntry, Bmp([] { return Rle8(5, 3, {255, 3, 0, 0, 5, 3, 0, 0, 5, 3, 0, 1}); }),
     Outcome::Loads, "", 24, SizeIs(5, 3)},
    {"Rle8RowsPastPictureEnd", BmpEntry,
     Bmp([] {
         Bytes s;
         for (int k = 0; k < 50; ++k) s.insert(s.end(), kRleRowOfThrees.begin(), kRleRowOfThrees.end());
         return Rle8(5, 3, s);
     }),
     Outcome::Loads, "", 24, SizeIs(5, 3)},
    {"Rle8DeltaPastPictureEnd", BmpEntry, Bmp([] { return Rle8(5, 3, {0, 2, 255, 255, 5, 3, 0, 0, 0, 1}); }),
     Outcome::Loads, "", 24, SizeIs(5, 3)},
    {"Rle8AbsoluteRunPastRowEnd", BmpEntry,
     Bmp([] {
         Bytes s = {0, 200};
         s.resize(s.size() + 200, 7);
         s.insert(s.end(), {0, 0, 0, 1});
         return Rle8(5, 3, s);
     }),
     Outcome::Loads, "", 24, SizeIs(5, 3)},
    {"Rle8WithoutEndOfBitmap", BmpEntry, Bmp([] { return Rle8(5, 3, {5, 3, 0, 0, 5, 3}); }), Outcome::Loads, "", 24,
     SizeIs(5, 3)},
    {"Rle4RunPastRowEnd", BmpEntry, Bmp([] { return Rle4(5, 3, {255, 0x12, 0, 0, 0, 2, 255, 255, 255, 0x34, 0, 1}); }),
     Outcome::Loads, "", 24, SizeIs(5, 3)},
    {"Rle4AbsoluteRunPastRowEnd", BmpEntry,
     Bmp([] {
         Bytes s = {0, 255};
         s.resize(s.size() + 128, 0x56);
         s.insert(s.end(), {0, 0, 0, 1});
         return Rle4(5, 3, s);
     }),
     Outcome::Loads, "", 24, SizeIs(5, 3)},
    {"RleAtLargeSize", BmpEntry, Bmp([] { return Rle8(3000, 3000, {255, 3, 0, 2, 200, 200, 255, 4, 0, 1}); }),
     Outcome::Loads, "", 24, SizeIs(3000, 3000)},
    // A well-formed file, as some old programs still write them.
    {"Os2OneBitWithPaletteWhereBitCountWouldBe", BmpEntry, Bmp(Os2OneBit), Outcome::Loads, "", 24, ShowsOs2OneBit},
    {"Width100000Height100000", BmpEntry,
     Bmp([] { return Put32(Put32(Pattern24(), BmpWidth, 100000), BmpHeight, 100000); }), Outcome::Fails,
     CannotReadBitmap},
    {"Width30000Height30000At8Bits", BmpEntry,
     Bmp([] { return Put32(Put32(WriteBitmap(PaletteBitmap(8, 8, 16)), BmpWidth, 30000), BmpHeight, 30000); }),
     Outcome::Fails, CannotReadBitmap},
    {"WidthMax", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpWidth, 0x7FFFFFFF); }), Outcome::Fails,
     CannotReadBitmap},
    // Within the reader's allocation bound: a big, all but black picture.
    {"Size5000x5000WithTenRows", BmpEntry,
     Bmp([] { return Put32(Put32(Pattern24(), BmpWidth, 5000), BmpHeight, 5000); }), Outcome::Loads, "", 24,
     SizeIs(5000, 5000)},
    {"Size6000x6000", BmpEntry, Bmp([] { return Put32(Put32(Pattern24(), BmpWidth, 6000), BmpHeight, 6000); }),
     Outcome::Fails, CannotReadBitmap},
    {"ZeroByZero", BmpEntry, Bmp([] { return Put32(Put32(Pattern24(), BmpWidth, 0), BmpHeight, 0); }),
     Outcome::Fails, CannotReadBitmap},
    {"NegativeWidth", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpWidth, static_cast<std::uint32_t>(-20)); }),
     Outcome::Fails, CannotReadBitmap},
    {"HeightMostNegative", BmpEntry, Bmp([] { return Put32(Pattern24(), BmpHeight, 0x80000000); }), Outcome::Fails,
     CannotReadBitmap},
    {"JpegNamedBmp", BmpEntry, Bmp([] { return BaselineJpeg(); }), Outcome::Fails, CannotReadBitmap},
    {"PngNamedBmp", BmpEntry, Bmp([] { return Encoded(PatternImage(9, 9), "PNG"); }), Outcome::Fails,
     CannotReadBitmap},
    // The BMP entry goes by the name: a bitmap named .jpg is read as JPEG.
    {"BitmapNamedJpg", BmpEntry, File("picture.jpg", [] { return Pattern24(); }), Outcome::Fails,
     JpegError(JERR_NO_SOI)},
    {"UnknownExtension", BmpEntry, File("picture.png", [] { return Pattern24(); }), Outcome::Fails,
     "Unknown picture file extension (.png)"},
    {"NoExtension", BmpEntry, File("picture", [] { return Pattern24(); }), Outcome::Fails,
     "Unknown picture file extension (.)"},
    {"Directory", BmpEntry, Directory("folder.bmp"), Outcome::Fails, CannotOpen},
    {"Unreadable", BmpEntry, Unreadable("locked.bmp", [] { return Pattern24(); }), Outcome::Fails, CannotOpen},
    {"RemovedAfterTheDialog", BmpEntry, Removed("gone.bmp", [] { return Pattern24(); }), Outcome::Fails, CannotOpen},
    {"NamedPipe", BmpEntry, Pipe("pipe.bmp"), Outcome::Fails, CannotOpen},
};
INSTANTIATE_TEST_SUITE_P(Bmp, BadInputTest, ::testing::ValuesIn(kBmpInputs), CaseName{});

// ---- A JPEG file cut short, at every segment of a real one --------------------

// Where in a segment the file ends.
enum class Cut { AtMarker, AfterFF, InLength, AfterLength, Middle, LastByte };

struct HeaderCutCase {
    std::string name;
    Cut cut;
};

void PrintTo(const HeaderCutCase& c, std::ostream* os) { *os << c.name; }

std::size_t CutPoint(const Segment& s, Cut cut)
{
    switch (cut) {
    case Cut::AtMarker: return s.offset;
    case Cut::AfterFF: return s.offset + 1;
    case Cut::InLength: return s.offset + 3;
    case Cut::AfterLength: return s.offset + 4;
    case Cut::Middle: return s.offset + s.size / 2;
    case Cut::LastByte: return s.offset + s.size - 1;
    }
    return s.offset;
}

// The library puts a fake end of image where the data ends. At a segment's
// start the file reads as one without an image, or once the frame header was
// read, one whose scan is missing. Inside a segment the fake end becomes its
// fields, which each kind of segment rejects in its own way.
std::vector<int> AcceptedCodes(const Segment& s, Cut cut, bool frameSeen)
{
    const int ended = frameSeen ? JERR_SOF_NO_SOS : JERR_NO_IMAGE;
    if (cut == Cut::AtMarker || cut == Cut::AfterFF) return {ended};
    switch (s.marker) {
    case 0xDB: return {JERR_DQT_INDEX, ended};
    case 0xC0: return {JERR_BAD_LENGTH, JERR_SOF_NO_SOS};  // the frame read, fake end and all
    case 0xC4: return {JERR_BAD_HUFF_TABLE, ended};
    case 0xDD: return {JERR_BAD_LENGTH, ended};
    case 0xDA: return {JERR_BAD_LENGTH, JERR_BAD_COMPONENT_ID};
    default: return {ended};  // APPn and COM are skipped whole
    }
}

class HeaderCutTest : public LoadTest, public ::testing::WithParamInterface<HeaderCutCase> {};

TEST_P(HeaderCutTest, EverySegmentFailsCleanly)
{
    const Bytes& whole = BaselineJpeg();
    const std::vector<Segment> segments = HeaderSegments(whole);
    // The file has every kind of header segment this test is about.
    for (const int m : {0xE0, 0xFE, 0xDB, 0xC0, 0xC4, 0xDD, 0xDA})
        ASSERT_TRUE(std::any_of(segments.begin(), segments.end(), [&](const Segment& s) { return s.marker == m; }))
            << "no segment 0x" << std::hex << int(m);
    const Cut cut = GetParam().cut;
    bool frameSeen = false;
    for (const Segment& s : segments) {
        std::ostringstream where;
        where << "segment 0x" << std::hex << int(s.marker) << " at " << std::dec << s.offset;
        SCOPED_TRACE(where.str());
        const bool soi = s.marker == 0xD8;
        if (soi && cut != Cut::AtMarker && cut != Cut::AfterFF) continue;
        const std::size_t at = CutPoint(s, cut);
        // The last byte of the scan header: the fake end gives its last field,
        // and a scan with no data decodes to a flat picture without complaint.
        const bool loads = s.marker == 0xDA && cut == Cut::LastByte;
        const std::optional<std::string> message = Open(JpegEntry, scratch_.Write("cut.jpg", Head(whole, at)));
        if (loads) {
            ASSERT_FALSE(message) << *message;
            ExpectLoaded(SizeIs(48, 40));
        } else if (soi) {
            ASSERT_TRUE(message);
            ExpectCleanFailure(*message, JpegError(cut == Cut::AtMarker ? JERR_INPUT_EMPTY : JERR_NO_SOI));
        } else {
            ASSERT_TRUE(message) << "a file cut after " << at << " bytes loaded";
            const int code = JpegErrorCode(*message);
            const std::vector<int> accepted = AcceptedCodes(s, cut, frameSeen);
            EXPECT_NE(std::find(accepted.begin(), accepted.end(), code), accepted.end()) << *message;
            ExpectCleanFailure(*message, "JPEG error #");
        }
        if (s.marker == 0xC0) frameSeen = true;
    }
}

const HeaderCutCase kHeaderCuts[] = {
    {"AtMarker", Cut::AtMarker}, {"AfterFF", Cut::AfterFF}, {"InLength", Cut::InLength},
    {"AfterLength", Cut::AfterLength}, {"Middle", Cut::Middle}, {"LastByte", Cut::LastByte},
};
INSTANTIATE_TEST_SUITE_P(Cuts, HeaderCutTest, ::testing::ValuesIn(kHeaderCuts), CaseName{});

// ---- A JPEG file cut inside its scan: the library fills in, no error ----------

struct ScanCutCase {
    std::string name;
    std::function<std::size_t(const Bytes& jpeg)> at;
};

void PrintTo(const ScanCutCase& c, std::ostream* os) { *os << c.name; }

class ScanCutTest : public LoadTest, public ::testing::WithParamInterface<ScanCutCase> {};

TEST_P(ScanCutTest, LoadsWhatTheLibraryDecodes)
{
    const Bytes& whole = BaselineJpeg();
    const std::string path = scratch_.Write("cut.jpg", Head(whole, GetParam().at(whole)));
    const std::optional<std::string> message = Open(JpegEntry, path);
    ASSERT_FALSE(message) << *message;
    // djpeg warns of the cut (exit status 2) and gives the same pixels.
    EXPECT_TRUE(SamePixels(ToQImage(*source_.Bitmap), Djpeg(path)));
    ExpectLoaded(nullptr);
}

std::size_t LastRestartMarker(const Bytes& jpeg)
{
    for (std::size_t k = jpeg.size() - 2; k > ScanDataStart(jpeg); --k)
        if (jpeg[k] == 0xFF && jpeg[k + 1] >= 0xD0 && jpeg[k + 1] <= 0xD7) return k;
    throw std::runtime_error("no restart marker");
}

const ScanCutCase kScanCuts[] = {
    {"AtScanStart", [](const Bytes& b) { return ScanDataStart(b); }},
    {"OneByteIn", [](const Bytes& b) { return ScanDataStart(b) + 1; }},
    {"HalfWay", [](const Bytes& b) { return (ScanDataStart(b) + b.size()) / 2; }},
    {"InsideARestartMarker", [](const Bytes& b) { return LastRestartMarker(b) + 1; }},
    {"BeforeEndOfImage", [](const Bytes& b) { return b.size() - 2; }},
    {"InsideEndOfImage", [](const Bytes& b) { return b.size() - 1; }},
};
INSTANTIATE_TEST_SUITE_P(Cuts, ScanCutTest, ::testing::ValuesIn(kScanCuts), CaseName{});

}  // namespace
