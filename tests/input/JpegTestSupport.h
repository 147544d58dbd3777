#pragma once
// Fixtures and the independent decoder the JPEG tests compare with: pictures
// are made at test time with libjpeg-turbo's cjpeg (or its compressor, for what
// cjpeg cannot write) and decoded by its djpeg.
#include <QImage>
#include <QStringList>

#include <cstdint>
#include <cstdio>  // jpeglib.h wants FILE and size_t declared first
#include <string>
#include <vector>

#include <jpeglib.h>

namespace jpegtest {

using Bytes = std::vector<unsigned char>;

// A file in this process's own temporary directory.
std::string TempPath(const std::string& name);
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);

// The tools' paths as CMake found them; throws with a hint when missing.
std::string DjpegPath();
std::string CjpegPath();

// Runs a program; throws unless it exits with one of okCodes.
void Run(const std::string& program, const QStringList& args, const std::vector<int>& okCodes = {0});

// An 8-bit PPM (3 channels) or PGM (1 channel).
struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> samples;
    QRgb At(int x, int y) const;
};
Pnm ReadPnm(const std::string& path);

// Gradients, saturated bars with sharp edges, and noise: all that exercises
// the transform, the upsampling and the quantizer.
QRgb SyntheticPixel(int x, int y);
// The synthetic picture of this size as a PPM (written once); its path.
std::string SyntheticPpm(int width, int height);

// cjpeg [args] ppm > name; the path of the JPEG file.
std::string Cjpeg(const std::string& ppm, const QStringList& args, const std::string& name);
// djpeg -dct float [extra] jpeg: the reference decode. Exit code 2 (warnings
// only, e.g. a truncated file) is accepted when warningsExpected.
Pnm DjpegFloat(const std::string& jpeg, const QStringList& extra = {}, bool warningsExpected = false);

// Empty when image shows exactly the reference's colours (a palette picture
// by its palette); otherwise how many pixels differ, and the first few.
std::string Differences(const QImage& image, const Pnm& reference);

// The N of "JPEG error #N ...", or -1 when the message has no such start.
int JpegErrorCode(const std::string& message);

// Samples (interleaved, `components` a pixel) through libjpeg's compressor.
struct RawJpeg {
    int width = 0;
    int height = 0;
    int components = 0;
    J_COLOR_SPACE in = JCS_UNKNOWN;
    J_COLOR_SPACE coded = JCS_UNKNOWN;
    bool adobeMarker = true;
    bool progressive = false;
    int quality = 90;
};
Bytes EncodeRaw(const RawJpeg& how, const std::vector<std::uint8_t>& samples);

// The offset of the first marker `code` (0xFF code) in a JPEG datastream, or
// npos.
std::size_t MarkerOffset(const Bytes& jpeg, unsigned char code);

}  // namespace jpegtest
