#include "JpegTestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace jpegtest {

namespace {

const QTemporaryDir& TempDir()
{
    static const QTemporaryDir dir;
    if (!dir.isValid()) throw std::runtime_error("Cannot create a temporary directory");
    return dir;
}

std::string ToolPath(const char* found, const char* name)
{
    const std::string path = found;
    if (!QFileInfo(QString::fromStdString(path)).isExecutable())
        throw std::runtime_error(std::string(name) + " was not found (CMake gave \"" + path +
                                 "\"): install libjpeg-turbo-progs and configure again");
    return path;
}

std::string Hex(QRgb c)
{
    char s[8];
    std::snprintf(s, sizeof s, "#%02x%02x%02x", qRed(c), qGreen(c), qBlue(c));
    return s;
}

}  // namespace

std::string TempPath(const std::string& name) { return TempDir().filePath(QString::fromStdString(name)).toStdString(); }

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("Cannot write " + path);
}

std::string DjpegPath() { return ToolPath(HSI_DJPEG, "djpeg"); }
std::string CjpegPath() { return ToolPath(HSI_CJPEG, "cjpeg"); }

void Run(const std::string& program, const QStringList& args, const std::vector<int>& okCodes)
{
    QProcess process;
    process.start(QString::fromStdString(program), args);
    const bool finished = process.waitForFinished(60000);
    const std::string command = program + " " + args.join(' ').toStdString();
    if (!finished || process.exitStatus() != QProcess::NormalExit)
        throw std::runtime_error("Failed to run: " + command + ": " + process.errorString().toStdString());
    if (std::find(okCodes.begin(), okCodes.end(), process.exitCode()) == okCodes.end())
        throw std::runtime_error(command + " exited with " + std::to_string(process.exitCode()) + ": " +
                                 process.readAllStandardError().toStdString());
}

QRgb Pnm::At(int x, int y) const
{
    const std::uint8_t* p = &samples[(static_cast<std::size_t>(y) * width + x) * channels];
    return channels == 1 ? qRgb(p[0], p[0], p[0]) : qRgb(p[0], p[1], p[2]);
}

Pnm ReadPnm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Pnm pnm;
    in >> magic >> pnm.width >> pnm.height >> maxValue;
    in.get();  // the one whitespace byte before the samples
    if (!in || (magic != "P5" && magic != "P6") || maxValue != 255)
        throw std::runtime_error("Not an 8-bit binary PGM/PPM: " + path);
    pnm.channels = magic == "P5" ? 1 : 3;
    pnm.samples.resize(static_cast<std::size_t>(pnm.width) * pnm.height * pnm.channels);
    in.read(reinterpret_cast<char*>(pnm.samples.data()), static_cast<std::streamsize>(pnm.samples.size()));
    if (!in) throw std::runtime_error("Short PGM/PPM: " + path);
    return pnm;
}

QRgb SyntheticPixel(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    const int noise = static_cast<int>(h % 64) - 32;
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    static const QRgb kBars[] = {qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 255),  qRgb(255, 255, 0),
                                 qRgb(0, 255, 255), qRgb(255, 0, 255), qRgb(0, 0, 0),    qRgb(255, 255, 255)};
    switch ((x / 29 + y / 23) % 4) {  // patches with sharp edges between them
    case 0:
        return qRgb((x * 5) % 256, (y * 3) % 256, ((x + y) * 2) % 256);
    case 1:
        return kBars[(x / 5 + y / 9) % 8];
    case 2:
        return qRgb(clamp(x + y), clamp(x + y), clamp(255 - x));
    default:
        return qRgb(clamp(128 + 3 * noise), clamp(90 - 2 * noise), clamp(200 + noise));
    }
}

std::string SyntheticPpm(int width, int height)
{
    const std::string path = TempPath("synthetic_" + std::to_string(width) + "x" + std::to_string(height) + ".ppm");
    if (QFileInfo::exists(QString::fromStdString(path))) return path;
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    Bytes bytes(header.begin(), header.end());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = SyntheticPixel(x, y);
            bytes.insert(bytes.end(), {static_cast<unsigned char>(qRed(c)), static_cast<unsigned char>(qGreen(c)),
                                       static_cast<unsigned char>(qBlue(c))});
        }
    WriteBytes(path, bytes);
    return path;
}

std::string Cjpeg(const std::string& ppm, const QStringList& args, const std::string& name)
{
    const std::string path = TempPath(name);
    Run(CjpegPath(), QStringList(args) << "-outfile" << QString::fromStdString(path) << QString::fromStdString(ppm));
    return path;
}

Pnm DjpegFloat(const std::string& jpeg, const QStringList& extra, bool warningsExpected)
{
    const std::string out = jpeg + ".djpeg.pnm";
    Run(DjpegPath(),
        QStringList{"-dct", "float", "-pnm"} << extra << "-outfile" << QString::fromStdString(out)
                                              << QString::fromStdString(jpeg),
        warningsExpected ? std::vector<int>{0, 2} : std::vector<int>{0});
    return ReadPnm(out);
}

std::string Differences(const QImage& image, const Pnm& reference)
{
    if (image.width() != reference.width || image.height() != reference.height)
        return "size " + std::to_string(image.width()) + "x" + std::to_string(image.height()) + ", djpeg's " +
               std::to_string(reference.width) + "x" + std::to_string(reference.height);
    long count = 0;
    std::ostringstream first;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb got = image.pixel(x, y) & 0xFFFFFFu;
            const QRgb want = reference.At(x, y) & 0xFFFFFFu;
            if (got == want) continue;
            if (++count <= 5) first << " (" << x << "," << y << ") " << Hex(got) << " not " << Hex(want) << ";";
        }
    if (count == 0) return {};
    return std::to_string(count) + " of " + std::to_string(static_cast<long>(image.width()) * image.height()) +
           " pixels differ:" + first.str();
}

int JpegErrorCode(const std::string& message)
{
    static const std::regex kCode("^JPEG error #([0-9]+)");
    std::smatch m;
    return std::regex_search(message, m, kCode) ? std::stoi(m[1]) : -1;
}

Bytes EncodeRaw(const RawJpeg& how, const std::vector<std::uint8_t>& samples)
{
    // A test's own input: the library's default error handler (message, exit)
    // is enough here.
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(how.width);
    info.image_height = static_cast<JDIMENSION>(how.height);
    info.input_components = how.components;
    info.in_color_space = how.in;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, how.coded);
    info.write_Adobe_marker = how.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&info, how.quality, TRUE);
    if (how.progressive) jpeg_simple_progression(&info);
    // A scan holds at most 4 components: beyond that, one scan each.
    std::vector<jpeg_scan_info> scans;
    if (how.components > MAX_COMPS_IN_SCAN) {
        for (int i = 0; i < how.components; ++i) scans.push_back({1, {i}, 0, 63, 0, 0});
        info.scan_info = scans.data();
        info.num_scans = how.components;
    }
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(how.width) * how.components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[info.next_scanline * stride]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

std::size_t MarkerOffset(const Bytes& jpeg, unsigned char code)
{
    std::size_t pos = 2;  // after SOI
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        if (jpeg[pos + 1] == code) return pos;
        if (jpeg[pos + 1] == 0xDA) break;  // the scan's data follows
        pos += 2 + (static_cast<std::size_t>(jpeg[pos + 2]) << 8 | jpeg[pos + 3]);
    }
    return std::string::npos;
}

}  // namespace jpegtest
