#include "platform/JPEG.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h wants FILE and size_t declared first
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/Exception.h"
#include "platform/FileBytes.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"

int ScreenColorDepth = 24;

namespace {

// What one picture may cost at most, besides the file held in memory:
// libjpeg's own working memory (a progressive or two-pass decode buffers the
// whole image), and the decoded picture itself at 4 bytes a pixel.
constexpr std::size_t kMemoryLimit = std::size_t{512} << 20;  // 512 MiB
constexpr std::uint64_t kMaxPixels = kMemoryLimit / sizeof(TPixel);

// The palette of an 8-bit display leaves 236 entries to a picture.
constexpr int kPaletteColors = 236;


// ---- The library's errors ---------------------------------------------------

// libjpeg's error_exit must not return. It jumps back to the setjmp in
// Guarded(), and the caller raises Exception once back in C++.
struct ErrorManager {
    jpeg_error_mgr pub;  // first member: cinfo->err points here
    std::jmp_buf jump;
    bool tooManyScans;
};

// Each scan of a progressive file costs a pass over the whole picture, and a
// file of a few kilobytes can hold tens of thousands of empty ones: past this
// many, the file is refused rather than keep the program busy for minutes.
constexpr int kMaxScans = 100;  // real progressive files have about 10

struct ScanLimit {
    jpeg_progress_mgr pub;  // first member: cinfo->progress points here
    ErrorManager* errors;
};

void CheckScans(j_common_ptr cinfo)
{
    const auto* info = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (info->input_scan_number <= kMaxScans) return;
    auto* errors = reinterpret_cast<ScanLimit*>(cinfo->progress)->errors;
    errors->tooManyScans = true;
    std::longjmp(errors->jump, 1);
}

[[noreturn]] void JumpBack(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (a file cut off inside its scan, for one) and traces stay quiet:
// the library carries on and so do we.
void DiscardMessage(j_common_ptr, int) {}
void DiscardOutput(j_common_ptr) {}

// ---- Reading a file by parts -------------------------------------------------

// A source that reads the file where the library asks, so that a decode which
// stops after the top rows reads no more of the file than they need, and data
// the library skips is never read. At the end of the file it behaves as the
// library's memory source does: a warning and a fake EOI, so a cut-off file
// still shows what it holds.
constexpr std::size_t kReadChunk = std::size_t{1} << 16;

struct FileSource {
    jpeg_source_mgr pub;  // first member: cinfo->src points here
    const PictureFile* file;
    std::uint64_t offset;  // of the byte after those in the buffer
    bool startOfFile;
    JOCTET* buffer;
    std::string failure;  // why the file could not be read
};

void StartSource(j_decompress_ptr) {}
void EndSource(j_decompress_ptr) {}

boolean FillFromFile(j_decompress_ptr cinfo)
{
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    std::size_t n = 0;
    bool failed = false;
    try {
        n = src->file->Read(src->offset, src->buffer, kReadChunk);
    } catch (const std::exception& e) {
        failed = true;
        // Nothing may leave for the library's C frames; without the words,
        // the library's own "Input file read error" is shown.
        try {
            src->failure = e.what();
        } catch (...) {
        }
    }
    // Outside the handler: the library's error exit jumps away.
    if (failed) ERREXIT(cinfo, JERR_FILE_READ);
    if (n == 0) {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->offset += n;
    src->startOfFile = false;
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    return TRUE;
}

void SkipInFile(j_decompress_ptr cinfo, long count)
{
    if (count <= 0) return;
    auto* src = reinterpret_cast<FileSource*>(cinfo->src);
    const auto skip = static_cast<std::size_t>(count);
    if (skip <= src->pub.bytes_in_buffer) {
        src->pub.next_input_byte += skip;
        src->pub.bytes_in_buffer -= skip;
        return;
    }
    // Past the buffer: the next fill starts beyond the skipped bytes.
    src->offset += skip - src->pub.bytes_in_buffer;
    src->pub.bytes_in_buffer = 0;
}

// The only frame with a setjmp. Nothing between it and the library's longjmp
// owns a resource (steps hold plain pointers only), so the jump skips no
// destructor.
template <class Step>
bool Guarded(std::jmp_buf& jump, const Step& step)
{
    if (setjmp(jump) != 0) return false;
    step();
    return true;
}

// A decompression object over a file or bytes in memory, destroyed with this object:
// after success and after an error alike.
class Decompressor {
public:
    Decompressor()
    {
        info_.err = jpeg_std_error(&errors_.pub);
        errors_.pub.error_exit = JumpBack;
        errors_.pub.emit_message = DiscardMessage;
        errors_.pub.output_message = DiscardOutput;
        scans_.pub.progress_monitor = CheckScans;
        scans_.errors = &errors_;
    }
    // info_ starts zeroed, so this is safe even if jpeg_create_decompress failed.
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct& Info() { return info_; }

    void ReadHeader(const PictureFile& file)
    {
        Run([&] {
            jpeg_create_decompress(&info_);  // clears all but the error manager
            info_.progress = &scans_.pub;
            info_.mem->max_memory_to_use = static_cast<long>(kMemoryLimit);
            if (const std::vector<unsigned char>* bytes = file.Bytes()) {
                // Empty data fails here with JERR_INPUT_EMPTY.
                jpeg_mem_src(&info_, bytes->data(), static_cast<unsigned long>(bytes->size()));
            } else {
                UseFile(file);
            }
            jpeg_read_header(&info_, TRUE);
        });
    }

    // Runs library calls; a fatal error among them raises Exception.
    template <class Step>
    void Run(const Step& step)
    {
        if (!Guarded(errors_.jump, step)) throw Exception(ErrorText());
    }

private:
    void UseFile(const PictureFile& file)
    {
        source_.file = &file;
        source_.startOfFile = true;
        source_.buffer = static_cast<JOCTET*>(
            info_.mem->alloc_small(reinterpret_cast<j_common_ptr>(&info_), JPOOL_PERMANENT, kReadChunk));
        source_.pub.init_source = StartSource;
        source_.pub.fill_input_buffer = FillFromFile;
        source_.pub.skip_input_data = SkipInFile;
        source_.pub.resync_to_restart = jpeg_resync_to_restart;
        source_.pub.term_source = EndSource;
        info_.src = &source_.pub;
    }

    std::string ErrorText()
    {
        if (!source_.failure.empty()) return source_.failure;
        if (errors_.tooManyScans)
            return "JPEG picture has more than " + IntToStr(kMaxScans) + " scans; it is refused as malformed";
        char text[JMSG_LENGTH_MAX] = {};
        errors_.pub.format_message(reinterpret_cast<j_common_ptr>(&info_), text);
        return "JPEG error #" + IntToStr(errors_.pub.msg_code) + " (" + text + ")";
    }

    ErrorManager errors_{};
    ScanLimit scans_{};
    FileSource source_{};
    jpeg_decompress_struct info_{};
};

// ---- Decoding ---------------------------------------------------------------

// How the library's rows become the picture's.
enum class Rows {
    Indexed,       // palette indices, straight into the picture
    Rgb,           // 3 samples a pixel
    Cmyk,          // 4 samples a pixel, 0 meaning no ink
    InvertedCmyk,  // Adobe's convention (Photoshop, libjpeg): 255 meaning no ink
};

void Quantize(jpeg_decompress_struct& info)
{
    // The library's defaults do the rest: Floyd-Steinberg dithering, and the
    // two-pass quantizer for colour (it falls back to one pass for gray).
    info.quantize_colors = TRUE;
    info.desired_number_of_colors = kPaletteColors;
}

Rows Configure(jpeg_decompress_struct& info)
{
    info.scale_num = 1;
    info.scale_denom = 1;
    info.dct_method = JDCT_FLOAT;
    info.do_block_smoothing = TRUE;
    switch (info.num_components) {
    case 1:  // gray always goes through the palette
        Quantize(info);
        return Rows::Indexed;
    case 3:  // YCbCr, or coded as RGB
        info.out_color_space = JCS_RGB;
        if (ScreenColorDepth > 8) return Rows::Rgb;
        Quantize(info);
        return Rows::Indexed;
    case 4:  // CMYK or YCCK: the library turns YCCK into CMYK, not into RGB.
        // Always 24-bit: the library quantizes 4 components in one pass only,
        // and its palette would be in CMYK.
        info.out_color_space = JCS_CMYK;
        return info.saw_Adobe_marker ? Rows::InvertedCmyk : Rows::Cmyk;
    default:
        throw Exception("JPEG picture has " + IntToStr(info.num_components) +
                        " colour components; only 1 (gray), 3 (colour) or 4 (CMYK) can be shown");
    }
}

void CheckSize(int width, int height)
{
    if (std::uint64_t(width) * std::uint64_t(height) > kMaxPixels)
        throw Exception("JPEG picture of " + IntToStr(width) + " x " + IntToStr(height) +
                        " pixels is too large (at most " + IntToStr(static_cast<int>(kMaxPixels)) + " pixels)");
}

// Decodes only the left `width` columns where that changes no pixel of them.
// Dithering carries its error along whole rows, so quantized output is left
// whole. The upsampler and block smoothing look one block past the right edge
// of a crop: two iMCU columns of margin keep every kept column exact.
void CropColumns(jpeg_decompress_struct& info, int width)
{
    if (info.quantize_colors) return;
    const auto margin = static_cast<JDIMENSION>(2 * info.max_h_samp_factor * DCTSIZE);
    JDIMENSION cropWidth = static_cast<JDIMENSION>(width) + margin;
    if (cropWidth >= info.output_width) return;
    JDIMENSION cropLeft = 0;
    jpeg_crop_scanline(&info, &cropLeft, &cropWidth);
}

// The colours of the library's map, by index. Valid once
// jpeg_start_decompress has run (and the first pass with it).
std::vector<TPixel> Palette(const jpeg_decompress_struct& info)
{
    const JSAMPARRAY map = info.colormap;
    const bool gray = info.out_color_components == 1;
    std::vector<TPixel> colours(256, PixelOf(0, 0, 0));
    for (int i = 0; i < info.actual_number_of_colors; ++i)
        colours[i] = gray ? PixelOf(map[0][i], map[0][i], map[0][i]) : PixelOf(map[0][i], map[1][i], map[2][i]);
    return colours;
}

// x * k / 255, rounded.
int Ink(int x, int k) { return (x * k + 127) / 255; }

void ConvertRow(Rows rows, const JSAMPLE* in, TPixel* out, JDIMENSION width, const TPixel* palette)
{
    for (JDIMENSION x = 0; x < width; ++x) {
        switch (rows) {
        case Rows::Indexed:
            out[x] = palette[in[0]];
            in += 1;
            break;
        case Rows::Rgb:
            out[x] = PixelOf(in[0], in[1], in[2]);
            in += 3;
            break;
        case Rows::InvertedCmyk:
            out[x] = PixelOf(Ink(in[0], in[3]), Ink(in[1], in[3]), Ink(in[2], in[3]));
            in += 4;
            break;
        case Rows::Cmyk:
            out[x] = PixelOf(Ink(255 - in[0], 255 - in[3]), Ink(255 - in[1], 255 - in[3]),
                             Ink(255 - in[2], 255 - in[3]));
            in += 4;
            break;
        }
    }
}

// Runs under Guarded(): plain pointers and trivial locals only. Reads the
// picture's rows from the top, each into the library's own row buffer, and
// keeps the left part of each that the picture holds. Rows past the picture
// are never decoded; then the decompression is left unfinished.
void ReadRows(jpeg_decompress_struct& info, Rows rows, TPixel* pixels, int width, int height, const TPixel* palette)
{
    // Freed with the object, even after an error.
    const JSAMPARRAY buffer = info.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                     info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
    while (info.output_scanline < static_cast<JDIMENSION>(height)) {
        TPixel* line = pixels + std::size_t(info.output_scanline) * std::size_t(width);
        jpeg_read_scanlines(&info, buffer, 1);
        ConvertRow(rows, buffer[0], line, static_cast<JDIMENSION>(width), palette);
    }
    if (info.output_scanline == info.output_height) jpeg_finish_decompress(&info);
}

struct Size {
    int width = 0;
    int height = 0;
};

Size HeaderSize(const PictureFile& file)
{
    Decompressor jpeg;
    jpeg.ReadHeader(file);
    return {static_cast<int>(jpeg.Info().image_width), static_cast<int>(jpeg.Info().image_height)};
}

}  // namespace

void TJPEGImage::LoadFromFile(const std::string& fileName) { Load(std::make_shared<const PictureFile>(fileName)); }

void TJPEGImage::LoadFromBytes(std::vector<unsigned char> bytes)
{
    Load(std::make_shared<const PictureFile>(std::move(bytes), "JPEG data"));
}

void TJPEGImage::Load(std::shared_ptr<const PictureFile> file)
{
    // Parsed before anything is kept: a bad file leaves this object as it was.
    // An empty file is kept as it is; Decode() reports it.
    const Size size = file->Size() == 0 ? Size{} : HeaderSize(*file);
    file_ = std::move(file);
    width_ = size.width;
    height_ = size.height;
}

TBitmap TJPEGImage::Decode() const { return DecodeTopLeft(INT_MAX, INT_MAX); }

TBitmap TJPEGImage::DecodeTopLeft(int maxWidth, int maxHeight) const
{
    static const PictureFile nothing(std::vector<unsigned char>{}, "JPEG data");
    Decompressor jpeg;
    jpeg.ReadHeader(file_ ? *file_ : nothing);
    jpeg_decompress_struct& info = jpeg.Info();
    const Rows rows = Configure(info);
    const int width = std::min(static_cast<int>(info.image_width), maxWidth);
    const int height = std::min(static_cast<int>(info.image_height), maxHeight);
    CheckSize(width, height);  // before the picture is allocated
    jpeg.Run([&] {
        jpeg_start_decompress(&info);
        CropColumns(info, width);
    });
    std::vector<TPixel> pixels = NewPixels(width, height);
    const std::vector<TPixel> palette = rows == Rows::Indexed ? Palette(info) : std::vector<TPixel>();
    jpeg.Run([&] { ReadRows(info, rows, pixels.data(), width, height, palette.data()); });
    return TBitmap(width, height, std::move(pixels));
}
