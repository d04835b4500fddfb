#include "fetch_module_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace verrimo::cli {

namespace {

using Download = FetchResult (*)(const std::string&, const FetchOptions&);

// Beside the program in the build, in the library folder once installed; both found from the
// program's own place, so that an installed tree may be moved.
std::filesystem::path modulePath() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path folder = error ? std::filesystem::path() : program.parent_path();
    const std::filesystem::path beside = folder / VERRIMO_FETCH_MODULE;
    if (std::filesystem::exists(beside, error)) return beside;
    return (folder / VERRIMO_FETCH_MODULE_FROM_BINDIR).lexically_normal();
}

}  // namespace

FetchResult downloadThroughModule(const std::string& url, const FetchOptions& options) {
    // Loaded once and kept until the program ends.
    static const Download download = [] {
        const std::string path = modulePath().string();
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* entry = module ? ::dlsym(module, "verrimoDownloadPage") : nullptr;
        if (!entry)
            throw std::runtime_error("cannot load the download module: " +
                                     std::string(::dlerror()));
        return reinterpret_cast<Download>(entry);
    }();
    return download(url, options);
}

}  // namespace verrimo::cli
