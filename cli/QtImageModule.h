#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Graphics.h"

// The steps of hsi-cli that need Qt's image code (reading Windows bitmaps,
// writing PNG files) find it in a module loaded on first use, so that every
// other step runs without mapping Qt's libraries at all.
struct QtImageFunctions {
    // sizeof(QtImageFunctions) as the module was built: a module left from
    // another build is refused rather than called.
    std::size_t size;
    // DecodeBitmap, as the window reads Windows bitmaps.
    TBitmap (*decodeBitmap)(const std::vector<unsigned char>& file, const std::string& name);
    // Writes the top-left width x height of `picture` as a PNG file. Throws
    // Exception naming the file.
    void (*writePng)(const TBitmap& picture, int width, int height, const std::string& fileName);
};

// The module's one entry, looked up by this name.
inline constexpr const char* QtImageEntryName = "HsiQtImageFunctions";
extern "C" const QtImageFunctions* HsiQtImageFunctions();

// Where the module lies, from the folder of the hsi-cli program: the same in
// the build tree and once installed.
inline constexpr const char* QtImageModulePath = "../lib/hsi-demo/hsi-cli-qt.so";

// The module's functions, loading it on the first call. Throws Exception when
// it cannot be loaded.
const QtImageFunctions& QtImage();
