#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QImage>

#include "platform/Graphics.h"

// Shared by the bitmap tests: pictures in memory, ImageMagick as the
// independent decoder, the header fields as they lie in a file, and checks of
// the workspace planes.
namespace bmptest {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::ostream& operator<<(std::ostream& os, const Rgb& c);

// Pixels row by row, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Picture MakePicture(int width, int height, const std::function<Rgb(int x, int y)>& colour);
// A different colour in every neighbouring row and column, and no channel
// ever 255, so a shifted row or a missing pixel cannot pass for the picture
// or for the white beyond it.
Rgb PatternColour(int x, int y);
Picture Pattern(int width, int height);

Bytes ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
void WritePpm(const std::filesystem::path& path, const Picture& picture);
// With a fourth sample per pixel, so ImageMagick can write alpha.
void WritePam(const std::filesystem::path& path, const Picture& picture,
              const std::function<std::uint8_t(int x, int y)>& alpha);

// ImageMagick, found by the build. Every failure throws with the command and
// what the tool said, so a missing or broken tool fails the test loudly.
struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};
ToolResult RunTool(const std::string& tool, const std::vector<std::string>& args);
void Convert(const std::vector<std::string>& args);
Picture DecodeWithImageMagick(const std::filesystem::path& file);
std::string IdentifyVerbose(const std::filesystem::path& file);
// The value of a top-level "  Name: value" line of identify -verbose.
std::string IdentifyField(const std::string& verbose, const std::string& name);

// The header fields as they lie in the file, whatever a reader makes of them.
struct BmpFields {
    std::uint32_t dataOffset = 0;
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[4] = {};  // red, green, blue, alpha; 0 when absent
    std::vector<Rgb> palette;
};
BmpFields ParseBmp(const Bytes& file);

// A folder of its own for each test, removed afterwards.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// R, G and B hold `expected` from the top-left, 255 wherever it ends. Only
// the bits set in `keep` are compared inside the picture.
::testing::AssertionResult PlanesShow(const Picture& expected, Rgb keep = {255, 255, 255});
// All six planes 255, as ResetPlanes leaves them.
::testing::AssertionResult PlanesAllWhite();
// H, S and I set to values no load writes, to see that a load leaves them
// alone.
void MarkHsi();
::testing::AssertionResult HsiStillMarked();
::testing::AssertionResult SamePicture(const Picture& got, const Picture& want);
// The picture's pixels exactly, whatever its format.
::testing::AssertionResult BitmapShows(const TBitmap& bitmap, const Picture& expected);
Picture FromBitmap(const TBitmap& bitmap);

// A copy of R, G and B, to tell two loads of the same file apart.
struct PlaneSnapshot {
    std::vector<std::uint8_t> r, g, b;
};
PlaneSnapshot SnapshotPlanes();
::testing::AssertionResult SameSnapshot(const PlaneSnapshot& a, const PlaneSnapshot& b);

// Memory fresh from the system reads as zeros, which hides pixels a reader
// never writes. This leaves freed blocks of every size a picture of this size
// may take, filled with `value`, for the next allocation to pick up.
class HeapPoison {
public:
    HeapPoison() = default;
    HeapPoison(const HeapPoison&) = delete;
    HeapPoison& operator=(const HeapPoison&) = delete;
    ~HeapPoison();
    void Prepare(int width, int height, std::uint8_t value);

private:
    std::vector<void*> fences_;
};

// The peak resident size of this process so far, in kilobytes.
long PeakResidentKb();

// A workspace and a source picture as the program has them, in a scratch
// folder. The source starts holding a small known picture, so a failed load
// can be seen to leave it alone.
class BmpLoadTest : public ::testing::Test {
protected:
    void SetUp() override;

    // The BMP entry of the open-picture dialog.
    void Load(const std::filesystem::path& file);
    // Writes `bytes` into the scratch folder.
    std::filesystem::path Write(const std::string& name, const Bytes& bytes);
    // ResetPlanes, then a load that must fail; the message is returned and the
    // planes and the source picture are checked to be as they were.
    std::string ExpectCleanFailure(const std::filesystem::path& file);

    ScratchDir dir_;
    TPicture source_;
    QImage before_;  // what source_ held after SetUp
};

}  // namespace bmptest
