#include "replace_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace verrimo {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool replaceFile(const std::string& path, std::string_view bytes) {
    std::string fresh = path + ".XXXXXX";
    const int fd = mkstemp(fresh.data());
    if (fd < 0) return false;
    const bool written = fchmod(fd, 0644) == 0 && writeAll(fd, bytes);
    const bool closed = close(fd) == 0;
    if (written && closed && std::rename(fresh.c_str(), path.c_str()) == 0) return true;
    unlink(fresh.c_str());
    return false;
}

}  // namespace verrimo
