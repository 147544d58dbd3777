#include "BmpTestSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "BmpWriter.h"
#include "input/OpenPicture.h"
#include "platform/Exception.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"
#include "tests/support/QtPictures.h"

namespace bmptest {

std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << '(' << int(c.r) << ',' << int(c.g) << ',' << int(c.b) << ')';
}

Picture MakePicture(int width, int height, const std::function<Rgb(int x, int y)>& colour)
{
    Picture p{width, height, {}};
    p.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.pixels.push_back(colour(x, y));
    return p;
}

Rgb PatternColour(int x, int y)
{
    return {static_cast<std::uint8_t>((x * 7 + y * 3) % 251), static_cast<std::uint8_t>((x * 5 + y * 11 + 40) % 251),
            static_cast<std::uint8_t>((x * 13 + y * 2 + 90) % 251)};
}

Picture Pattern(int width, int height) { return MakePicture(width, height, PatternColour); }

Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WritePpm(const std::filesystem::path& path, const Picture& picture)
{
    const std::string head = "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
    Bytes out(head.begin(), head.end());
    for (const Rgb& c : picture.pixels) out.insert(out.end(), {c.r, c.g, c.b});
    WriteBytes(path, out);
}

void WritePam(const std::filesystem::path& path, const Picture& picture,
              const std::function<std::uint8_t(int x, int y)>& alpha)
{
    const std::string head = "P7\nWIDTH " + std::to_string(picture.width) + "\nHEIGHT " +
                             std::to_string(picture.height) + "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    Bytes out(head.begin(), head.end());
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const Rgb c = picture.At(x, y);
            out.insert(out.end(), {c.r, c.g, c.b, alpha(x, y)});
        }
    WriteBytes(path, out);
}

ToolResult RunTool(const std::string& tool, const std::vector<std::string>& args)
{
    std::string commandLine = tool;
    for (const std::string& a : args) commandLine += " " + a;

    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed for: " + commandLine);
    std::FILE* err = std::tmpfile();
    if (!err) throw std::runtime_error("tmpfile failed for: " + commandLine);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        close(out[0]);
        close(out[1]);
        std::fclose(err);
        throw std::runtime_error("fork failed for: " + commandLine);
    }
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        execv(tool.c_str(), argv.data());
        std::fprintf(stderr, "cannot run %s: %s\n", tool.c_str(), std::strerror(errno));
        _exit(127);
    }
    close(out[1]);
    ToolResult result;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0) {
            result.out.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::rewind(err);
    for (int c; (c = std::fgetc(err)) != EOF;) result.err.push_back(static_cast<char>(c));
    std::fclose(err);
    if (result.status == 127) throw std::runtime_error(commandLine + ": " + result.err);
    return result;
}

namespace {

std::string Describe(const std::string& tool, const std::vector<std::string>& args, const ToolResult& r)
{
    std::string s = tool;
    for (const std::string& a : args) s += " " + a;
    return s + " exited with " + std::to_string(r.status) + ": " + r.err;
}

}  // namespace

void Convert(const std::vector<std::string>& args)
{
    const ToolResult r = RunTool(HSI_BMP_CONVERT, args);
    if (r.status != 0) throw std::runtime_error(Describe(HSI_BMP_CONVERT, args, r));
}

Picture DecodeWithImageMagick(const std::filesystem::path& file)
{
    const std::vector<std::string> args = {file.string(), "-depth", "8", "ppm:-"};
    const ToolResult r = RunTool(HSI_BMP_CONVERT, args);
    if (r.status != 0) throw std::runtime_error(Describe(HSI_BMP_CONVERT, args, r));

    // P6, width, height and maximum, separated by white space; then one byte
    // of white space and the samples.
    std::size_t at = 0;
    auto token = [&]() {
        while (at < r.out.size() && std::isspace(static_cast<unsigned char>(r.out[at]))) ++at;
        const std::size_t start = at;
        while (at < r.out.size() && !std::isspace(static_cast<unsigned char>(r.out[at]))) ++at;
        return r.out.substr(start, at - start);
    };
    const std::string magic = token();
    const int width = std::stoi(token());
    const int height = std::stoi(token());
    const std::string maxval = token();
    ++at;
    const std::size_t expected = static_cast<std::size_t>(width) * height * 3;
    if (magic != "P6" || maxval != "255" || r.out.size() - at != expected)
        throw std::runtime_error("ImageMagick gave an unexpected ppm for " + file.string());
    Picture p{width, height, {}};
    p.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (std::size_t i = at; i < r.out.size(); i += 3)
        p.pixels.push_back({static_cast<std::uint8_t>(r.out[i]), static_cast<std::uint8_t>(r.out[i + 1]),
                            static_cast<std::uint8_t>(r.out[i + 2])});
    return p;
}

std::string IdentifyVerbose(const std::filesystem::path& file)
{
    const std::vector<std::string> args = {"-verbose", file.string()};
    const ToolResult r = RunTool(HSI_BMP_IDENTIFY, args);
    if (r.status != 0) throw std::runtime_error(Describe(HSI_BMP_IDENTIFY, args, r));
    return r.out;
}

std::string IdentifyField(const std::string& verbose, const std::string& name)
{
    std::istringstream lines(verbose);
    const std::string prefix = "  " + name + ": ";
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    return "(no " + name + " line)";
}

namespace {

std::uint32_t Get32(const Bytes& b, std::size_t at)
{
    if (b.size() < at + 4) throw std::runtime_error("bitmap too short to hold its header");
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

}  // namespace

BmpFields ParseBmp(const Bytes& file)
{
    BmpFields f;
    f.dataOffset = Get32(file, OffDataOffset);
    f.headerSize = Get32(file, OffHeaderSize);
    f.width = static_cast<std::int32_t>(Get32(file, OffWidth));
    f.height = static_cast<std::int32_t>(Get32(file, OffHeight));
    f.bitCount = static_cast<std::uint16_t>(Get32(file, OffBitCount) & 0xFFFF);
    f.compression = Get32(file, OffCompression);
    f.colorsUsed = Get32(file, OffColorsUsed);
    std::size_t after = OffHeaderSize + f.headerSize;
    if (f.headerSize >= 108) {
        for (int i = 0; i < 4; ++i) f.masks[i] = Get32(file, FileAndInfoHeader + 4 * i);
    } else if (f.compression == BiBitfields) {
        for (int i = 0; i < 3; ++i) f.masks[i] = Get32(file, FileAndInfoHeader + 4 * i);
        after += 12;
    }
    if (f.bitCount <= 8) {
        const std::uint32_t count = f.colorsUsed ? f.colorsUsed : 1u << f.bitCount;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t q = Get32(file, after + 4 * i);
            f.palette.push_back({static_cast<std::uint8_t>(q >> 16), static_cast<std::uint8_t>(q >> 8),
                                 static_cast<std::uint8_t>(q)});
        }
    }
    return f;
}

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "hsi-bmp-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

namespace {

using namespace ChannelPlanes;

// Reports how many samples differ and where the first few are.
class Mismatches {
public:
    void Add(int x, int y, Rgb got, Rgb want)
    {
        if (++count_ <= 5) text_ << "\n  (" << x << ',' << y << ") is " << got << ", expected " << want;
    }
    ::testing::AssertionResult Result() const
    {
        if (count_ == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << count_ << " samples differ:" << text_.str();
    }

private:
    long count_ = 0;
    std::ostringstream text_;
};

}  // namespace

::testing::AssertionResult PlanesShow(const Picture& expected, Rgb keep)
{
    Mismatches m;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const Rgb got{R[x][y], G[x][y], B[x][y]};
            if (x < expected.width && y < expected.height) {
                const Rgb want = expected.At(x, y);
                if ((got.r ^ want.r) & keep.r || (got.g ^ want.g) & keep.g || (got.b ^ want.b) & keep.b)
                    m.Add(x, y, got, want);
            } else if (!(got == Rgb{255, 255, 255})) {
                m.Add(x, y, got, {255, 255, 255});
            }
        }
    return m.Result();
}

::testing::AssertionResult PlanesAllWhite()
{
    long bad = 0;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y)
            if (R[x][y] != 255 || G[x][y] != 255 || B[x][y] != 255 || H[x][y] != 255.0 || S[x][y] != 255.0 ||
                I[x][y] != 255)
                ++bad;
    if (bad == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " workspace samples are not 255";
}

namespace {

constexpr double MarkH = 123.5;
constexpr double MarkS = 0.25;
constexpr std::uint8_t MarkI = 77;

}  // namespace

void MarkHsi()
{
    std::fill_n(&H[0][0], PlaneSamples, MarkH);
    std::fill_n(&S[0][0], PlaneSamples, MarkS);
    std::fill_n(&I[0][0], PlaneSamples, MarkI);
}

::testing::AssertionResult HsiStillMarked()
{
    long bad = 0;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y)
            if (H[x][y] != MarkH || S[x][y] != MarkS || I[x][y] != MarkI) ++bad;
    if (bad == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << bad << " samples of H, S or I were changed by the load";
}

Picture FromBitmap(const TBitmap& bitmap)
{
    return MakePicture(bitmap.Width(), bitmap.Height(), [&](int x, int y) {
        const TColor c = bitmap.Pixel(x, y);
        return Rgb{RedOf(c), GreenOf(c), BlueOf(c)};
    });
}

::testing::AssertionResult SamePicture(const Picture& got, const Picture& want)
{
    if (got.width != want.width || got.height != want.height)
        return ::testing::AssertionFailure() << "the picture is " << got.width << 'x' << got.height << ", expected "
                                             << want.width << 'x' << want.height;
    Mismatches m;
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (!(got.At(x, y) == want.At(x, y))) m.Add(x, y, got.At(x, y), want.At(x, y));
    return m.Result();
}

::testing::AssertionResult BitmapShows(const TBitmap& bitmap, const Picture& expected)
{
    return SamePicture(FromBitmap(bitmap), expected);
}

PlaneSnapshot SnapshotPlanes()
{
    PlaneSnapshot s;
    s.r.assign(&R[0][0], &R[0][0] + PlaneSamples);
    s.g.assign(&G[0][0], &G[0][0] + PlaneSamples);
    s.b.assign(&B[0][0], &B[0][0] + PlaneSamples);
    return s;
}

::testing::AssertionResult SameSnapshot(const PlaneSnapshot& a, const PlaneSnapshot& b)
{
    Mismatches m;
    for (int i = 0; i < PlaneSamples; ++i)
        if (a.r[i] != b.r[i] || a.g[i] != b.g[i] || a.b[i] != b.b[i])
            m.Add(i / PlaneHeight, i % PlaneHeight, {b.r[i], b.g[i], b.b[i]}, {a.r[i], a.g[i], a.b[i]});
    return m.Result();
}

HeapPoison::~HeapPoison()
{
    for (void* p : fences_) std::free(p);
}

void HeapPoison::Prepare(int width, int height, std::uint8_t value)
{
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    // The sizes of a 1-bit, an 8-bit and a 32-bit image of this size.
    for (std::size_t bytes : {(w + 31) / 32 * 4 * h, (w + 3) / 4 * 4 * h, 4 * w * h}) {
        if (bytes == 0 || bytes > (16u << 20)) continue;
        if (bytes > (1u << 20)) {
            // Big blocks come straight from the system, zeroed, until one has
            // been given back: after that the allocator keeps blocks of this
            // size in its own memory, where a poisoned one can be left.
            std::free(std::malloc(bytes));
            if (void* p = std::malloc(bytes)) {
                volatile std::uint8_t* v = static_cast<std::uint8_t*>(p);
                for (std::size_t k = 0; k < bytes; ++k) v[k] = value;
                std::free(p);
            }
            continue;
        }
        std::vector<void*> blocks;
        for (int i = 0; i < 16; ++i) {
            void* p = std::malloc(bytes);
            // A block kept between the freed ones, so they cannot merge.
            fences_.push_back(std::malloc(64));
            if (!p) continue;
            // Volatile, so the stores are not dropped as dead before free.
            volatile std::uint8_t* v = static_cast<std::uint8_t*>(p);
            for (std::size_t k = 0; k < bytes; ++k) v[k] = value;
            blocks.push_back(p);
        }
        for (void* p : blocks) std::free(p);
    }
}

long PeakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BmpLoadTest::SetUp()
{
    const Picture small = Pattern(4, 3);
    BmpParts parts;
    parts.width = small.width;
    parts.height = small.height;
    parts.pixels = PackRows(small.width, small.height, 24, false, [&](int x, int y) {
        const Rgb c = small.At(x, y);
        return std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b;
    });
    Load(Write("earlier.bmp", WriteBmp(parts)));
    ASSERT_TRUE(BitmapShows(*source_.Bitmap, small));
    before_ = ToQImage(*source_.Bitmap);
}

void BmpLoadTest::Load(const std::filesystem::path& file) { LoadChosenPicture(BmpEntry, file.string(), source_); }

std::filesystem::path BmpLoadTest::Write(const std::string& name, const Bytes& bytes)
{
    const std::filesystem::path file = dir_ / name;
    WriteBytes(file, bytes);
    return file;
}

std::string BmpLoadTest::ExpectCleanFailure(const std::filesystem::path& file)
{
    ResetPlanes();
    std::string message;
    try {
        Load(file);
        ADD_FAILURE() << file.filename() << " loaded as a " << source_.Bitmap->Width() << 'x'
                      << source_.Bitmap->Height() << " picture; an error was expected";
    } catch (const Exception& e) {
        message = e.Message();
        EXPECT_FALSE(message.empty());
    } catch (const std::exception& e) {
        ADD_FAILURE() << "not the program's Exception: " << e.what();
    }
    EXPECT_TRUE(PlanesAllWhite());
    EXPECT_TRUE(ToQImage(*source_.Bitmap) == before_) << "the earlier picture was replaced or changed";
    return message;
}

}  // namespace bmptest
