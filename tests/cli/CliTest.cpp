// hsi-cli as a user runs it: a process, its output, its exit status, its files.
#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../core/CaseName.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Cli : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("hsi-cli-test-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    Outcome Cmd(const std::string& args) const
    {
        const fs::path out = dir / "stdout", err = dir / "stderr";
        const std::string command = Quote(HSI_CLI) + " " + args + " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
    }

    // A bitmap whose colours are known: pure green at the top-left, then a
    // pattern that keeps every pixel different enough to catch a transposition.
    std::string Picture(int width, int height, const char* name = "picture.bmp") const
    {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 3) % 256));
        image.setPixel(0, 0, qRgb(0, 255, 0));
        const std::string path = (dir / name).string();
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }
};

// A NumPy 1.0 file as the test reads it back.
struct Npy {
    std::string descr;
    std::string shape;
    std::string data;
};

Npy ReadNpy(const fs::path& p)
{
    const std::string bytes = ReadFile(p);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x93NUMPY\x01\x00", 8));
    const std::size_t len = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    EXPECT_EQ((10 + len) % 64, 0u);
    const std::string header = bytes.substr(10, len);
    EXPECT_EQ(header.back(), '\n');
    auto field = [&](const std::string& key, char open, char close) {
        const auto at = header.find("'" + key + "': ");
        EXPECT_NE(at, std::string::npos) << key;
        const auto from = header.find(open, at + key.size() + 4);
        return header.substr(from + 1, header.find(close, from + 1) - from - 1);
    };
    EXPECT_NE(header.find("'fortran_order': False"), std::string::npos);
    return {field("descr", '\'', '\''), field("shape", '(', ')'), bytes.substr(10 + len)};
}

struct StatusCase {
    const char* name;
    const char* args;
    int status;
    const char* stdoutStarts;  // nullptr: don't care
    const char* stderrHas;     // nullptr: stderr empty
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

const StatusCase kStatuses[] = {
    {"no steps", "", 2, "", "usage: hsi-cli"},
    {"unknown step", "hsi frobnicate", 2, "", "unknown step \"frobnicate\""},
    {"open without file", "open", 2, "", "usage: hsi-cli"},
    {"sample outside", "sample 423 0", 2, "", "outside the 423 x 384 workspace"},
    {"sample negative", "sample 0 -1", 2, "", "outside"},
    {"sample not a number", "sample 1 y", 2, "", "usage"},
    {"display bits missing", "--display-bits", 2, "", "usage"},
    {"display bits not a number", "--display-bits eight hsi", 2, "", "usage"},
    {"usage error runs nothing", "readout bogus", 2, "", "usage"},
    {"help", "--help", 0, "usage: hsi-cli", nullptr},
    {"version", "--version", 0, "hsi-cli 1.", nullptr},
    {"conversions from start", "hsi rgb readout", 0, "0 0 0 0 0 0 0 0 0\n", nullptr},
    {"readout after cancel", "cancel readout", 0, "255 255 255 255 255 255 255 255 255\n", "開啟檔案失敗!!"},
    {"cancel names the box", "cancel", 0, "", "錯誤"},
    {"missing file fails, run goes on", "open /nonexistent/x.jpg hsi readout", 1, "0 0 0 0 0 0 0 0 0\n",
     "hsi-cli: "},
    {"unknown extension", "open-bmp /nonexistent/x.png", 1, "", "hsi-cli: Unknown picture file extension (.png)"},
    {"panel without picture", "save-hue /tmp/never.png", 1, "", "hsi-cli: The middle panel has no picture yet"},
    {"sample from start", "sample 422 383", 0, "0 0 0 0 0 0\n", nullptr},
};

class Status : public Cli, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(Status, ExitStatusAndMessages)
{
    const StatusCase& c = GetParam();
    const Outcome r = Cmd(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.stdoutStarts) {
        EXPECT_EQ(r.out.substr(0, std::strlen(c.stdoutStarts)), c.stdoutStarts) << r.out;
    }
    if (c.stderrHas) {
        EXPECT_NE(r.err.find(c.stderrHas), std::string::npos) << r.err;
    } else {
        EXPECT_EQ(r.err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, Status, ::testing::ValuesIn(kStatuses), CaseName{});

// hsi-cli finds Qt's image code beside it; moved away from it, exactly the
// steps that need that code fail, with a reason, and the others run.
TEST_F(Cli, WithoutItsQtModuleOnlyBitmapAndPngStepsFail)
{
    const fs::path alone = dir / "bin" / "hsi-cli";
    fs::create_directories(alone.parent_path());
    fs::copy_file(HSI_CLI, alone);
    const std::string bmp = (dir / "x.bmp").string(), png = (dir / "x.png").string();
    std::ofstream(bmp) << "BM";  // never decoded: the reader is not there
    ASSERT_EQ(Cmd("open-bmp " + Quote(bmp)).status, 1) << "the real hsi-cli must read it, and fail";
    const struct {
        std::string steps;
        bool needsQt;
    } cases[] = {
        {"open " + Quote(bmp), false},  // the JPEG entry, whatever the name
        {"hsi rgb readout sample 1 2", false},
        {"cancel dump " + Quote((dir / "planes").string()), false},
        {"open-bmp " + Quote(bmp), true},
        {"hsi save-hue " + Quote(png), true},
        {"rgb save-result " + Quote(png), true},
        {"open-bmp " + Quote(bmp) + " save-source " + Quote(png), true},
    };
    for (const auto& c : cases) {
        const std::string command = Quote(alone.string()) + " " + c.steps + " 2>" + Quote((dir / "err").string()) +
                                    " >/dev/null";
        const int raw = std::system(command.c_str());
        const std::string err = ReadFile(dir / "err");
        const bool refused = err.find("hsi-cli: Cannot load Qt's image code") != std::string::npos;
        EXPECT_EQ(refused, c.needsQt) << c.steps << ": " << err;
        if (c.steps.rfind("open ", 0) != 0) {
            EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.needsQt ? 1 : 0) << c.steps << ": " << err;
        }
    }
}

}  // namespace

TEST_F(Cli, SamplePrintsWholeNumbersAndExactReals)
{
    const std::string bmp = Picture(40, 30);
    const Outcome r = Cmd("open-bmp " + Quote(bmp) + " sample 0 0 hsi sample 0 0 sample 39 29 sample 40 0 rgb sample 0 0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "0 255 0 255 255 255\n"                      // loaded: H, S and I hold 255
              "0 255 0 119.99972345376631 1 85\n"          // pure green
              "39 29 104 247.05293732023466 0.4941860465116279 57\n"
              "255 255 255 0 0 255\n"                      // beyond the picture: white
              "0 254 0 119.99972345376631 1 85\n");        // back from HSI
}

TEST_F(Cli, DumpWritesSixPlanesInRowOrder)
{
    const std::string bmp = Picture(423, 384);
    const fs::path out = dir / "new" / "planes";  // made if missing
    const Outcome r = Cmd("open-bmp " + Quote(bmp) + " hsi dump " + Quote(out.string()));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"R", "G", "B", "I"}) {
        const Npy n = ReadNpy(out / (std::string(name) + ".npy"));
        EXPECT_EQ(n.descr, "|u1");
        EXPECT_EQ(n.shape, "384, 423");
        ASSERT_EQ(n.data.size(), 423u * 384u);
    }
    const Npy r8 = ReadNpy(out / "R.npy"), g8 = ReadNpy(out / "G.npy"), b8 = ReadNpy(out / "B.npy");
    for (int y = 1; y < 384; y += 37)
        for (int x = 1; x < 423; x += 41) {
            const std::size_t at = std::size_t(y) * 423 + x;
            ASSERT_EQ(static_cast<unsigned char>(r8.data[at]), x % 256);
            ASSERT_EQ(static_cast<unsigned char>(g8.data[at]), y % 256);
            ASSERT_EQ(static_cast<unsigned char>(b8.data[at]), (x * 7 + y * 3) % 256);
        }
    for (const char* name : {"H", "S"}) {
        const Npy n = ReadNpy(out / (std::string(name) + ".npy"));
        EXPECT_EQ(n.descr, "<f8");
        EXPECT_EQ(n.shape, "384, 423");
        ASSERT_EQ(n.data.size(), 423u * 384u * 8u);
    }
    double h00 = 0, s00 = 0;
    std::memcpy(&h00, ReadNpy(out / "H.npy").data.data(), 8);
    std::memcpy(&s00, ReadNpy(out / "S.npy").data.data(), 8);
    EXPECT_EQ(h00, 0x1.dfffb7814be1cp+6);  // pure green's hue, to the bit
    EXPECT_EQ(s00, 1.0);
}

TEST_F(Cli, SavedPanelsShowWhatThePanelsShow)
{
    const std::string bmp = Picture(300, 600);
    const fs::path source = dir / "source.png", hue = dir / "hue.png", result = dir / "result.png";
    const Outcome r = Cmd("open-bmp " + Quote(bmp) + " hsi rgb save-source " + Quote(source.string()) + " save-hue " +
                      Quote(hue.string()) + " save-result " + Quote(result.string()));
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage s(QString::fromStdString(source.string()));
    EXPECT_EQ(s.size(), QSize(300, 384));  // the top-left of the picture, at most 423 x 384
    EXPECT_EQ(s.pixel(10, 20), qRgb(10, 20, 130));
    const QImage h(QString::fromStdString(hue.string()));
    EXPECT_EQ(h.size(), QSize(423, 384));
    EXPECT_EQ(h.pixel(0, 0), qRgb(119, 0, 0));
    EXPECT_EQ(h.pixel(350, 0), qRgb(0, 0, 0));  // white beyond the picture: hue 0
    const QImage res(QString::fromStdString(result.string()));
    EXPECT_EQ(res.size(), QSize(423, 384));
    EXPECT_EQ(res.pixel(0, 0), qRgb(0, 254, 0));
    EXPECT_EQ(res.pixel(350, 0), qRgb(255, 255, 255));
}

TEST_F(Cli, FailedLoadLeavesPlanesAt255AndTheEarlierPicture)
{
    const std::string bmp = Picture(50, 50);
    const fs::path broken = dir / "broken.bmp";
    std::ofstream(broken) << "BM not really";
    const fs::path source = dir / "source.png";
    const Outcome r = Cmd("open-bmp " + Quote(bmp) + " open-bmp " + Quote(broken.string()) + " sample 1 1 save-source " +
                      Quote(source.string()));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("hsi-cli: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "255 255 255 255 255 255\n");
    EXPECT_EQ(QImage(QString::fromStdString(source.string())).size(), QSize(50, 50));
}
