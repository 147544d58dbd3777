// How TJPEGImage fails: by the library's own message code (named as in
// jerror.h), for files that cannot be read, and for pictures too large.
#include <gtest/gtest.h>

#include <QDir>

#include <cstdio>
#include <filesystem>
#include <functional>

#include <jerror.h>
#include <jpeglib.h>

#include "JpegTestSupport.h"
#include "core/CaseName.h"
#include "platform/Exception.h"
#include "platform/JPEG.h"

using namespace jpegtest;

namespace {

// The message of the Exception that `action` raises; fails the test if it
// raises none.
std::string FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    ADD_FAILURE() << "no Exception";
    return {};
}

class JpegFile : public ::testing::Test {
protected:
    // A baseline 4:2:0 file as cjpeg writes it: SOI APP0 DQT DQT SOF0 DHT... SOS.
    static const Bytes& Baseline()
    {
        static const Bytes bytes = ReadBytes(Cjpeg(SyntheticPpm(40, 30), {"-sample", "2x2"}, "errors.jpg"));
        return bytes;
    }
    static std::size_t At(unsigned char marker)
    {
        const std::size_t offset = MarkerOffset(Baseline(), marker);
        if (offset == std::string::npos) throw std::runtime_error("marker not found");
        return offset;
    }
    static Bytes Head(std::size_t n) { return Bytes(Baseline().begin(), Baseline().begin() + static_cast<long>(n)); }
};

// ---- Files that end before their first scan ------------------------------------

struct HeaderCutCase {
    const char* name;
    unsigned char marker;  // the segment the cut is counted from
    int offset;            // bytes after the segment's 0xFF
    int code;              // the library's message code
};

void PrintTo(const HeaderCutCase& c, std::ostream* os) { *os << c.name; }

// The library puts a fake EOI where the data ends: between segments that reads
// as a file without an image (or, once the frame header was read, as one
// whose scan is missing); inside a segment its bytes become nonsense.
const HeaderCutCase kHeaderCuts[] = {
    {"after SOI", 0xE0, 0, JERR_NO_IMAGE},
    {"before the first DQT", 0xDB, 0, JERR_NO_IMAGE},
    {"before SOF", 0xC0, 0, JERR_NO_IMAGE},
    {"before DHT", 0xC4, 0, JERR_SOF_NO_SOS},
    {"before SOS", 0xDA, 0, JERR_SOF_NO_SOS},
    {"inside DQT", 0xDB, 4, JERR_DQT_INDEX},
    {"inside the SOF length", 0xC0, 3, JERR_BAD_LENGTH},
    {"inside DHT", 0xC4, 4, JERR_BAD_HUFF_TABLE},
    {"inside the SOS length", 0xDA, 3, JERR_BAD_LENGTH},
    {"inside SOS", 0xDA, 5, JERR_BAD_COMPONENT_ID},
};

class HeaderCut : public JpegFile, public ::testing::WithParamInterface<HeaderCutCase> {};

TEST_P(HeaderCut, LoadFailsWithTheLibraryCode)
{
    const HeaderCutCase& c = GetParam();
    const std::string file = TempPath(std::string(c.name) + ".jpg");
    WriteBytes(file, Head(At(c.marker) + static_cast<std::size_t>(c.offset)));
    TJPEGImage jpeg;
    const std::string message = FailureOf([&] { jpeg.LoadFromFile(file); });
    EXPECT_EQ(JpegErrorCode(message), c.code) << message;
    EXPECT_EQ(jpeg.Width(), 0);
}

INSTANTIATE_TEST_SUITE_P(Truncated, HeaderCut, ::testing::ValuesIn(kHeaderCuts), CaseName{});

TEST_F(JpegFile, TablesOnlyHaveNoImage)
{
    Bytes tables = Head(At(0xC0));
    tables.insert(tables.end(), {0xFF, 0xD9});
    TJPEGImage jpeg;
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.LoadFromBytes(tables); })), JERR_NO_IMAGE);
}

// ---- Not a JPEG at all --------------------------------------------------------------

TEST(NotJpeg, BitmapFileGivesNoSoiWithTheLibraryText)
{
    const std::string file = TempPath("bitmap.jpg");
    WriteBytes(file, {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0});
    TJPEGImage jpeg;
    EXPECT_EQ(FailureOf([&] { jpeg.LoadFromFile(file); }),
              "JPEG error #" + std::to_string(JERR_NO_SOI) + " (Not a JPEG file: starts with 0x42 0x4d)");
}

TEST(NotJpeg, OneByteGivesNoSoi)
{
    TJPEGImage jpeg;
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.LoadFromBytes({0xFF}); })), JERR_NO_SOI);
}

// ---- Empty data: loads, but there is nothing to decode -----------------------

TEST(Empty, FileLoadsAndDecodeFailsWithInputEmpty)
{
    const std::string file = TempPath("empty.jpg");
    WriteBytes(file, {});
    TJPEGImage jpeg;
    ASSERT_NO_THROW(jpeg.LoadFromFile(file));
    EXPECT_EQ(jpeg.Width(), 0);
    EXPECT_EQ(jpeg.Height(), 0);
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.Decode(); })), JERR_INPUT_EMPTY);
}

TEST(Empty, BytesLoadAndDecodeFailsWithInputEmpty)
{
    TJPEGImage jpeg;
    ASSERT_NO_THROW(jpeg.LoadFromBytes({}));
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.Decode(); })), JERR_INPUT_EMPTY);
}

TEST(Empty, NothingLoadedFailsWithInputEmpty)
{
    const TJPEGImage jpeg;
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.Decode(); })), JERR_INPUT_EMPTY);
}

// ---- What a failed or empty load leaves behind ------------------------------------------

TEST_F(JpegFile, FailedLoadKeepsThePictureBefore)
{
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(Baseline());
    const TBitmap before = jpeg.Decode();
    FailureOf([&] { jpeg.LoadFromBytes(Head(At(0xDA))); });
    EXPECT_EQ(jpeg.Width(), 40);
    EXPECT_EQ(jpeg.Height(), 30);
    EXPECT_EQ(jpeg.Decode(), before);
}

TEST_F(JpegFile, EmptyLoadForgetsThePictureBefore)
{
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(Baseline());
    jpeg.LoadFromBytes({});
    EXPECT_EQ(jpeg.Width(), 0);
    EXPECT_EQ(jpeg.Height(), 0);
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.Decode(); })), JERR_INPUT_EMPTY);
}

// ---- A file read by parts ------------------------------------------------------------

// The file stays open after LoadFromFile and is read only where the library
// asks; the picture must be the one the same bytes give from memory.
TEST(ReadByParts, LongSkippedSegmentsGiveThePictureOfTheBytes)
{
    // Three APP15 segments of nearly 64 KiB each, which the library skips
    // unread: each skip reaches past the read buffer.
    Bytes bytes = ReadBytes(Cjpeg(SyntheticPpm(200, 150), {"-sample", "2x2"}, "skips.jpg"));
    for (int k = 0; k < 3; ++k) {
        Bytes segment = {0xFF, 0xEF, 0xFF, 0xFF};
        segment.resize(2 + 0xFFFF, static_cast<unsigned char>(k));
        bytes.insert(bytes.begin() + 2, segment.begin(), segment.end());
    }
    const std::string file = TempPath("skips.jpg");
    WriteBytes(file, bytes);
    TJPEGImage fromFile, fromBytes;
    fromFile.LoadFromFile(file);
    fromBytes.LoadFromBytes(bytes);
    EXPECT_EQ(fromFile.Width(), 200);
    EXPECT_TRUE(fromFile.Decode() == fromBytes.Decode());
    EXPECT_TRUE(fromFile.DecodeTopLeft(120, 70) == fromBytes.DecodeTopLeft(120, 70));
}

TEST(ReadByParts, FileCutAfterLoadingDecodesWhatIsLeft)
{
    // Another program cuts the file between loading and decoding: the decode
    // shows what is left, as for a file that was cut to begin with.
    const Bytes whole = ReadBytes(Cjpeg(SyntheticPpm(300, 200), {"-sample", "2x2"}, "shrinks.jpg"));
    const std::string file = TempPath("shrinks.jpg");
    WriteBytes(file, whole);
    TJPEGImage jpeg;
    jpeg.LoadFromFile(file);
    const Bytes left(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2));
    std::filesystem::resize_file(file, left.size());
    TJPEGImage cut;
    cut.LoadFromBytes(left);
    EXPECT_TRUE(jpeg.Decode() == cut.Decode());
    // Emptied: nothing to decode any more.
    std::filesystem::resize_file(file, 0);
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.Decode(); })), JERR_INPUT_EMPTY);
}

// ---- Files that cannot be read -------------------------------------------------------

TEST(Unreadable, MissingFileIsNamed)
{
    const std::string file = TempPath("no such picture.jpg");
    TJPEGImage jpeg;
    EXPECT_EQ(FailureOf([&] { jpeg.LoadFromFile(file); }),
              "Cannot open file \"" + file + "\". No such file or directory");
}

TEST(Unreadable, DirectoryIsNamed)
{
    const std::string dir = TempPath("folder.jpg");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir)));
    TJPEGImage jpeg;
    EXPECT_EQ(FailureOf([&] { jpeg.LoadFromFile(dir); }), "Cannot open file \"" + dir + "\". Is a directory");
}

TEST(Unreadable, FileBeyondTheMemoryBoundIsRefusedUnread)
{
    // Sparse: it takes no disk space, and it is never read.
    const std::string file = TempPath("huge.jpg");
    WriteBytes(file, {0xFF, 0xD8});
    std::filesystem::resize_file(file, (std::uintmax_t{512} << 20) + 1);
    TJPEGImage jpeg;
    EXPECT_EQ(FailureOf([&] { jpeg.LoadFromFile(file); }),
              "File \"" + file + "\" is too large for a picture (more than 512 MiB)");
    std::filesystem::remove(file);
}

TEST_F(JpegFile, FileOfExactlyTheBoundIsReadToItsEnd)
{
    // The header without its scan, then zeros up to exactly 512 MiB (sparse):
    // the library reads on to the end looking for a marker, and must meet the
    // end of the file there, not the bound.
    const std::string file = TempPath("bound.jpg");
    const Bytes head = Head(At(0xDA));
    WriteBytes(file, head);
    std::filesystem::resize_file(file, std::uintmax_t{512} << 20);
    TJPEGImage fromFile, fromBytes;
    EXPECT_EQ(FailureOf([&] { fromFile.LoadFromFile(file); }), FailureOf([&] { fromBytes.LoadFromBytes(head); }));
    std::filesystem::remove(file);
}

TEST_F(JpegFile, FileThatSaysItIsEmptyIsStillRead)
{
    // /proc files give their content while their size reads 0.
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(Baseline());
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.LoadFromFile("/proc/self/status"); })), JERR_NO_SOI);
    EXPECT_EQ(jpeg.Width(), 40);
}

// ---- Pictures too large to decode ---------------------------------------------------------

// A small file whose frame header claims another size: the data behind it
// does not matter, decoding must stop before anything that size is allocated.
Bytes WithSize(Bytes jpeg, unsigned char sofMarker, int width, int height)
{
    const std::size_t sof = MarkerOffset(jpeg, sofMarker);
    if (sof == std::string::npos) throw std::runtime_error("no SOF");
    jpeg[sof + 5] = static_cast<unsigned char>(height >> 8);
    jpeg[sof + 6] = static_cast<unsigned char>(height);
    jpeg[sof + 7] = static_cast<unsigned char>(width >> 8);
    jpeg[sof + 8] = static_cast<unsigned char>(width);
    return jpeg;
}

TEST_F(JpegFile, LargestHeaderIsRefusedByTheLibrary)
{
    TJPEGImage jpeg;
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.LoadFromBytes(WithSize(Baseline(), 0xC0, 65535, 65535)); })),
              JERR_IMAGE_TOO_BIG);
}

TEST_F(JpegFile, HugePictureIsRefusedBeforeDecoding)
{
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(WithSize(Baseline(), 0xC0, 60000, 60000));
    EXPECT_EQ(jpeg.Width(), 60000);
    EXPECT_EQ(FailureOf([&] { jpeg.Decode(); }),
              "JPEG picture of 60000 x 60000 pixels is too large (at most 134217728 pixels)");
}

// 11000 x 11000 is within the pixel bound, but a progressive 4:4:4 file needs
// its whole coefficient buffer (about 700 MiB): the library's memory bound
// refuses it (it has no backing store) instead of allocating.
TEST(MemoryBound, ProgressiveBufferBeyondTheBoundIsRefused)
{
    const Bytes small = ReadBytes(Cjpeg(SyntheticPpm(40, 30), {"-progressive", "-sample", "1x1"}, "bound.jpg"));
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(WithSize(small, 0xC2, 11000, 11000));
    EXPECT_EQ(JpegErrorCode(FailureOf([&] { jpeg.Decode(); })), JERR_NO_BACKING_STORE);
}

}  // namespace
