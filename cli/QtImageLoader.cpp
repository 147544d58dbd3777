#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>

#include "cli/QtImageModule.h"
#include "platform/BMP.h"
#include "platform/Exception.h"

namespace {

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) throw Exception("Cannot find the folder of hsi-cli: " + error.message());
    return self.parent_path();
}

const QtImageFunctions& Load()
{
    const std::string path = (ProgramFolder() / QtImageModulePath).lexically_normal().string();
    // Kept loaded until the process ends.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) throw Exception(std::string("Cannot load Qt's image code: ") + ::dlerror());
    using Entry = const QtImageFunctions* (*)();
    const auto entry = reinterpret_cast<Entry>(::dlsym(module, QtImageEntryName));
    const QtImageFunctions* functions = entry ? entry() : nullptr;
    if (!functions || functions->size != sizeof(QtImageFunctions)) {
        ::dlclose(module);
        throw Exception("Cannot load Qt's image code: " + path + " is not this version's module");
    }
    return *functions;
}

}  // namespace

const QtImageFunctions& QtImage()
{
    static const QtImageFunctions& functions = Load();
    return functions;
}

// hsi-cli reads Windows bitmaps through the module.
TBitmap DecodeBitmap(const std::vector<unsigned char>& file, const std::string& name)
{
    return QtImage().decodeBitmap(file, name);
}
