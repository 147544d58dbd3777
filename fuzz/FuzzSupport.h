#pragma once
// What both fuzzers share: a quiet Qt, and the workspace checked against the
// picture it was copied from.
#include <QImage>
#include <QtGlobal>

#include <bit>
#include <cstdlib>
#include <string>

#include "platform/Graphics.h"
#include "workspace/ChannelPlanes.h"
#include "workspace/PackColor.h"

namespace fuzz {

// Qt warns on stderr for every odd palette index; at thousands of inputs a
// second that is most of the time spent.
inline bool SilenceQt()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return true;
}

// libjpeg and Qt's reader are not instrumented, so the fuzzer cannot see
// which of their paths an input takes; what they report it can see. Each
// value from 0 to 255 given here takes a branch of its own, which counts as
// new coverage the first time.
inline volatile int Sink = 0;
template <int N>
void Mark(int value)
{
    if (value == N) {
        Sink = N;
        return;
    }
    if constexpr (N > 0) Mark<N - 1>(value);
}
inline void Mark(int base, int value) { Mark<255>(base + value); }

// What a picture came out as: its format, its size to a power of two, its
// palette's size.
inline void MarkPicture(const QImage& image)
{
    Mark(0, static_cast<int>(image.format()) & 31);
    Mark(32, std::bit_width(static_cast<unsigned>(image.width())) & 15);
    Mark(48, std::bit_width(static_cast<unsigned>(image.height())) & 15);
    Mark(64, std::bit_width(static_cast<unsigned>(image.colorCount())) & 15);
}

inline void MarkPicture(const TBitmap& picture)
{
    Mark(32, std::bit_width(static_cast<unsigned>(picture.Width())) & 15);
    Mark(48, std::bit_width(static_cast<unsigned>(picture.Height())) & 15);
}

// The N of "JPEG error #N (...)", which names the library's complaint, or
// -1 for another message.
inline int JpegErrorCode(const std::string& message)
{
    const std::string start = "JPEG error #";
    if (message.rfind(start, 0) != 0) return -1;
    return std::atoi(message.c_str() + start.size());
}

// R, G and B hold the picture's top-left pixels and white beyond it, as
// CopyPictureToPlanes promises; anything else is a finding.
inline void CheckPlanesShow(const TBitmap& picture)
{
    using namespace ChannelPlanes;
    for (int x = 0; x < PlaneWidth; ++x)
        for (int y = 0; y < PlaneHeight; ++y) {
            const bool inside = x < picture.Width() && y < picture.Height();
            const TColor want = inside ? picture.Pixel(x, y) & 0xFFFFFFu : PackColor(255, 255, 255);
            if (PackColor(R[x][y], G[x][y], B[x][y]) != want) std::abort();
        }
}

}  // namespace fuzz
