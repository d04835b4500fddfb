#include "fetch_module_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace verrimo::cli {

namespace {

using Download = FetchResult (*)(const std::string&, const FetchOptions&);
using Send = StepAnswer (*)(const StepRequest&, const FetchOptions&);

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

// An entry of the module, which is loaded once and kept until the program ends.
void* moduleEntry(const char* name) {
    static void* const module = [] {
        const std::string path = modulePath().string();
        void* loaded = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!loaded)
            throw std::runtime_error("cannot load the download module: " +
                                     std::string(::dlerror()));
        return loaded;
    }();
    void* entry = ::dlsym(module, name);
    if (!entry)
        throw std::runtime_error("cannot load the download module: " + std::string(::dlerror()));
    return entry;
}

}  // namespace

FetchResult downloadThroughModule(const std::string& url, const FetchOptions& options) {
    static const auto download = reinterpret_cast<Download>(moduleEntry("verrimoDownloadPage"));
    return download(url, options);
}

StepAnswer sendThroughModule(const StepRequest& request, const FetchOptions& options) {
    static const auto send = reinterpret_cast<Send>(moduleEntry("verrimoSendRequest"));
    return send(request, options);
}

}  // namespace verrimo::cli
