#include "platform/JPEG.h"

#include "platform/Exception.h"

int ScreenColorDepth = 24;

void TJPEGImage::LoadFromFile(const std::string&) { throw Exception("JPEG decoding is not built yet"); }
void TJPEGImage::LoadFromBytes(std::vector<unsigned char>) { throw Exception("JPEG decoding is not built yet"); }
QImage TJPEGImage::Decode() const { throw Exception("JPEG decoding is not built yet"); }
