// hsi-cli: the window's commands from a shell, left to right on one workspace,
// through the same code as the window's handlers.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/Npy.h"
#include "cli/QtImageModule.h"
#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "input/OpenPicture.h"
#include "platform/Exception.h"
#include "platform/JPEG.h"
#include "ui/Views.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/HueSamples.h"

namespace {

constexpr const char* Usage = R"(usage: hsi-cli [--display-bits N] STEP...
Runs the window's commands left to right on one workspace (all zero at start).
  open FILE        開啟檔案 with the JPEG entry and FILE chosen
  open-bmp FILE    the same with the BMP entry (the kind follows the extension)
  cancel           開啟檔案 with the dialog cancelled (planes to 255; the box to stderr)
  hsi              轉換成HSI
  rgb              轉回RGB
  readout          Button4: the nine hue texts on one line, Edit1 first
  sample X Y       "R G B H S I" of sample (X, Y); H and S as %.17g
  dump DIR         R.npy G.npy B.npy H.npy S.npy I.npy into DIR, shape (384, 423)
  save-source PNG  what the left panel shows, at most 423 x 384, as PNG
  save-hue PNG     the same for the middle panel
  save-result PNG  the same for the right-hand panel
  --display-bits N the screen's bits per pixel (24 when not given; 8 or fewer
                   quantizes colour JPEGs to 236 colours)
A failed step is reported on stderr and the next one runs.
Exit status: 0 all steps succeeded, 1 some step failed, 2 usage error.
)";

// What the three panels hold.
TPicture source, hueView, resultView;
TCanvas hueCanvas(*hueView.Bitmap, PlaneWidth, PlaneHeight);
TCanvas resultCanvas(*resultView.Bitmap, PlaneWidth, PlaneHeight);

void SavePanel(const TPicture& panel, const char* which, const std::string& path)
{
    const TBitmap& picture = *panel.Bitmap;
    if (picture.Empty()) throw Exception(std::string("The ") + which + " panel has no picture yet");
    QtImage().writePng(picture, std::min(picture.Width(), PlaneWidth), std::min(picture.Height(), PlaneHeight), path);
}

void Dump(const std::string& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) throw Exception("Cannot make the folder \"" + dir + "\": " + error.message());
    using namespace ChannelPlanes;
    const std::filesystem::path d(dir);
    WriteNpy(d / "R.npy", R);
    WriteNpy(d / "G.npy", G);
    WriteNpy(d / "B.npy", B);
    WriteNpy(d / "H.npy", H);
    WriteNpy(d / "S.npy", S);
    WriteNpy(d / "I.npy", I);
}

void PrintSample(int x, int y)
{
    using namespace ChannelPlanes;
    std::printf("%d %d %d %.17g %.17g %d\n", R[x][y], G[x][y], B[x][y], H[x][y], S[x][y], I[x][y]);
}

void PrintReadout()
{
    const auto hues = ReadHueSamples();
    std::string line;
    for (double h : hues) {
        if (!line.empty()) line += ' ';
        line += HueText(h);
    }
    std::puts(line.c_str());
}

bool ParseInt(const std::string& s, int& value)
{
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size();
}

using Step = std::function<void()>;

// Reads one step and its arguments from args[k]; false on a usage error.
bool ParseStep(const std::vector<std::string>& args, std::size_t& k, std::vector<Step>& steps)
{
    const std::string& name = args[k];
    auto operand = [&](std::string& out) {
        if (k + 1 >= args.size()) return false;
        out = args[++k];
        return true;
    };
    std::string a, b;
    if (name == "open" || name == "open-bmp") {
        if (!operand(a)) return false;
        const int entry = name == "open" ? JpegEntry : BmpEntry;
        steps.push_back([entry, a] {
            ResetPlanes();
            LoadChosenPicture(entry, a, source);
        });
    } else if (name == "cancel") {
        steps.push_back([] {
            ResetPlanes();
            std::fputs("錯誤: 開啟檔案失敗!!\n", stderr);
        });
    } else if (name == "hsi") {
        steps.push_back([] {
            ConvertRgbToHsi();
            PaintHueView(hueCanvas);
        });
    } else if (name == "rgb") {
        steps.push_back([] {
            ConvertHsiToRgb();
            PaintReconstructionView(resultCanvas);
        });
    } else if (name == "readout") {
        steps.push_back(PrintReadout);
    } else if (name == "sample") {
        int x = 0, y = 0;
        if (!operand(a) || !operand(b) || !ParseInt(a, x) || !ParseInt(b, y)) return false;
        if (x < 0 || x >= PlaneWidth || y < 0 || y >= PlaneHeight) {
            std::fprintf(stderr, "hsi-cli: sample %d %d is outside the 423 x 384 workspace\n", x, y);
            return false;
        }
        steps.push_back([x, y] { PrintSample(x, y); });
    } else if (name == "dump") {
        if (!operand(a)) return false;
        steps.push_back([a] { Dump(a); });
    } else if (name == "save-source" || name == "save-hue" || name == "save-result") {
        if (!operand(a)) return false;
        const TPicture* panel = name == "save-source" ? &source : name == "save-hue" ? &hueView : &resultView;
        const char* which = name == "save-source" ? "left" : name == "save-hue" ? "middle" : "right-hand";
        steps.push_back([panel, which, a] { SavePanel(*panel, which, a); });
    } else {
        std::fprintf(stderr, "hsi-cli: unknown step \"%s\"\n", name.c_str());
        return false;
    }
    return true;
}

int UsageError()
{
    std::fputs(Usage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<Step> steps;
    for (std::size_t k = 0; k < args.size(); ++k) {
        if (args[k] == "--help" || args[k] == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (args[k] == "--version") {
            std::puts("hsi-cli " HSI_VERSION);
            return 0;
        }
        if (args[k] == "--display-bits") {
            if (k + 1 >= args.size() || !ParseInt(args[k + 1], ScreenColorDepth) || ScreenColorDepth < 1)
                return UsageError();
            ++k;
            continue;
        }
        if (!ParseStep(args, k, steps)) return UsageError();
    }
    if (steps.empty()) return UsageError();

    int status = 0;
    for (const Step& step : steps) {
        try {
            step();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "hsi-cli: %s\n", e.what());
            status = 1;
        }
        std::fflush(stdout);
    }
    return status;
}
