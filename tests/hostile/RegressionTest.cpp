// Every file in tests/hostile/regressions/ (what the fuzzers found, kept
// small) through both loaders: the JPEG entry at both screen depths, the BMP
// entry under a .bmp name, and the in-memory paths the fuzzers take. Each
// load must end, in a picture whose corner the workspace holds or in the
// program's Exception with the workspace at 255 and the panel unchanged.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "HostileSupport.h"
#include "core/CaseName.h"
#include "input/CopyPictureToPlanes.h"
#include "input/OpenPicture.h"
#include "platform/BMP.h"
#include "platform/Exception.h"
#include "platform/JPEG.h"
#include "tests/support/QtPictures.h"
#include "workspace/ChannelPlanes.h"

using namespace hostile;

namespace {

struct RegressionFile {
    std::string name;
    std::string path;
};

void PrintTo(const RegressionFile& c, std::ostream* os) { *os << c.name; }

std::vector<RegressionFile> Files()
{
    std::vector<RegressionFile> files;
    for (const auto& entry : std::filesystem::directory_iterator(HSI_REGRESSIONS_DIR))
        if (entry.is_regular_file() && entry.path().filename() != "README.md")
            files.push_back({entry.path().filename().string(), entry.path().string()});
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return files;
}

class RegressionTest : public ::testing::TestWithParam<RegressionFile> {
protected:
    void SetUp() override
    {
        LoadChosenPicture(BmpEntry, scratch_.Write("earlier.bmp", PatternBitmap(30, 20)), source_);
        before_ = ToQImage(*source_.Bitmap);
        bytes_ = ReadFile(GetParam().path);
    }
    void TearDown() override { ScreenColorDepth = savedDepth_; }

    // As 開啟檔案 does it, and what must hold afterwards either way; whether
    // the picture loaded.
    bool Open(int entry, const std::string& path)
    {
        ResetPlanes();
        try {
            LoadChosenPicture(entry, path, source_);
        } catch (const Exception& e) {
            EXPECT_TRUE(AllPlanes255()) << e.what();
            EXPECT_TRUE(ToQImage(*source_.Bitmap) == before_) << "the earlier picture changed: " << e.what();
            return false;
        }
        EXPECT_TRUE(PlanesHoldPicture(ToQImage(*source_.Bitmap)));
        // The next file must again be seen to leave the panel alone.
        before_ = ToQImage(*source_.Bitmap);
        return true;
    }

    // The fuzzers' own path: a picture, or the program's Exception.
    void InMemory(const std::function<TBitmap()>& decode)
    {
        TBitmap picture;
        try {
            picture.Assign(decode());
        } catch (const Exception&) {
            return;
        }
        ASSERT_FALSE(picture.Empty());
        ResetPlanes();
        CopyPictureToPlanes(picture);
        EXPECT_TRUE(PlanesHoldPicture(ToQImage(picture)));
    }

    Scratch scratch_;
    TPicture source_;
    QImage before_;
    Bytes bytes_;
    const int savedDepth_ = ScreenColorDepth;
};

TEST_P(RegressionTest, JpegEntry)
{
    for (int depth : {24, 8}) {
        SCOPED_TRACE("screen depth " + std::to_string(depth));
        ScreenColorDepth = depth;
        Open(JpegEntry, GetParam().path);
        InMemory([&] {
            TJPEGImage jpeg;
            jpeg.LoadFromBytes(bytes_);
            return jpeg.DecodeTopLeft(PlaneWidth, PlaneHeight);
        });
    }
}

// What Qt's reader alone makes of the bytes, into a cleared picture as the
// program asks it to; null where it refuses them.
QImage PlainQtRead(const Bytes& bytes)
{
    QBuffer device;
    device.setData(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device, "bmp");
    reader.setAutoDetectImageFormat(false);
    if (!reader.size().isValid() || reader.imageFormat() == QImage::Format_Invalid) return {};
    if (qint64(reader.size().width()) * reader.size().height() * 4 > qint64(QImageReader::allocationLimit()) << 20) return {};
    QImage picture(reader.size(), reader.imageFormat());
    picture.fill(0);
    return reader.read(&picture) ? picture : QImage();
}

TEST_P(RegressionTest, BmpEntry)
{
    const bool loaded = Open(BmpEntry, scratch_.Write("regression.bmp", bytes_));
    // Only 16-bit colour is changed after Qt's reader (widened to full
    // scale); a palette or 1-bit picture must come out exactly as it read it.
    const QImage plain = PlainQtRead(bytes_);
    if (loaded && !plain.isNull() && plain.depth() <= 8) {
        EXPECT_TRUE(SamePixels(ToQImage(*source_.Bitmap), plain));
    }
    InMemory([&] { return DecodeBitmap(bytes_, GetParam().name); });
}

INSTANTIATE_TEST_SUITE_P(Files, RegressionTest, ::testing::ValuesIn(Files()), CaseName{});
// The folder may hold no finding yet.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RegressionTest);

TEST(RegressionFolder, IsThere)
{
    ASSERT_TRUE(std::filesystem::is_directory(HSI_REGRESSIONS_DIR)) << HSI_REGRESSIONS_DIR;
}

}  // namespace
