// Through the BMP entry the kind of a file is told by its extension only.
#include <gtest/gtest.h>

#include "../core/CaseName.h"
#include "BmpTestSupport.h"
#include "BmpWriter.h"
#include "platform/Exception.h"
#include "workspace/ChannelPlanes.h"
#include "tests/support/QtPictures.h"

using namespace bmptest;

namespace {

enum class Content { Bitmap, Jpeg, Png };
enum class Outcome {
    Loads,             // read as a bitmap
    NotUnknown,        // handed to the JPEG reader, which may still refuse it
    UnknownExtension,  // refused for its name
};

struct ExtensionCase {
    const char* name;
    const char* fileName;  // may lie in a folder of the scratch folder
    Content content;
    Outcome outcome;
    const char* message;  // the whole message for UnknownExtension
};

void PrintTo(const ExtensionCase& c, std::ostream* os) { *os << c.name; }

const ExtensionCase extensionCases[] = {
    {"LowerBmp", "picture.bmp", Content::Bitmap, Outcome::Loads, ""},
    {"UpperBmp", "PICTURE.BMP", Content::Bitmap, Outcome::Loads, ""},
    {"MixedBmp", "picture.Bmp", Content::Bitmap, Outcome::Loads, ""},
    {"BmpAfterAnotherDot", "picture.png.bmp", Content::Bitmap, Outcome::Loads, ""},
    {"Jpg", "photo.jpg", Content::Jpeg, Outcome::NotUnknown, ""},
    {"Jpeg", "photo.jpeg", Content::Jpeg, Outcome::NotUnknown, ""},
    {"UpperJpg", "PHOTO.JPG", Content::Jpeg, Outcome::NotUnknown, ""},
    {"Png", "drawing.png", Content::Png, Outcome::UnknownExtension, "Unknown picture file extension (.png)"},
    {"Gif", "drawing.gif", Content::Png, Outcome::UnknownExtension, "Unknown picture file extension (.gif)"},
    // A bitmap by its content, but its name says otherwise.
    {"BitmapNamedGif", "picture.gif", Content::Bitmap, Outcome::UnknownExtension,
     "Unknown picture file extension (.gif)"},
    {"BmpThenPng", "picture.bmp.png", Content::Bitmap, Outcome::UnknownExtension,
     "Unknown picture file extension (.png)"},
    {"NoExtension", "picture", Content::Bitmap, Outcome::UnknownExtension, "Unknown picture file extension (.)"},
    // The dot of a folder's name is not the file's extension.
    {"NoExtensionInFolderNamedBmp", "folder.bmp/picture", Content::Bitmap, Outcome::UnknownExtension,
     "Unknown picture file extension (.)"},
};

class BmpExtension : public BmpLoadTest, public ::testing::WithParamInterface<ExtensionCase> {};

TEST_P(BmpExtension, ChoosesTheReaderByExtension)
{
    const ExtensionCase& c = GetParam();
    const Picture picture = Pattern(30, 20);
    const std::filesystem::path file = dir_ / c.fileName;
    std::filesystem::create_directories(file.parent_path());
    if (c.content == Content::Bitmap) {
        BmpParts parts;
        parts.width = picture.width;
        parts.height = picture.height;
        parts.pixels = PackRows(picture.width, picture.height, 24, false, [&](int x, int y) {
            const Rgb p = picture.At(x, y);
            return std::uint32_t{p.r} << 16 | std::uint32_t{p.g} << 8 | p.b;
        });
        WriteBytes(file, WriteBmp(parts));
    } else {
        const std::filesystem::path input = dir_ / "in.ppm";
        WritePpm(input, picture);
        Convert({input.string(), std::string(c.content == Content::Jpeg ? "JPEG:" : "PNG:") + file.string()});
    }

    switch (c.outcome) {
    case Outcome::Loads:
        ResetPlanes();
        Load(file);
        EXPECT_TRUE(PlanesShow(picture));
        EXPECT_TRUE(BitmapShows(*source_.Bitmap, picture));
        break;
    case Outcome::NotUnknown:
        ResetPlanes();
        try {
            Load(file);
            EXPECT_EQ(source_.Bitmap->Width(), picture.width);
            EXPECT_EQ(source_.Bitmap->Height(), picture.height);
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().find("Unknown picture file extension"), std::string::npos) << e.Message();
            EXPECT_TRUE(PlanesAllWhite());
            EXPECT_TRUE(ToQImage(*source_.Bitmap) == before_);
        }
        break;
    case Outcome::UnknownExtension:
        EXPECT_EQ(ExpectCleanFailure(file), c.message);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(BmpExtension, BmpExtension, ::testing::ValuesIn(extensionCases), CaseName{});

}  // namespace
