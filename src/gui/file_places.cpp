#include "file_places.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

#include "file_name.h"

namespace verrimo {

namespace {

std::string environment(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : fallback;
}

// Whether a file can be made in the folder, tried by making one.
bool canWrite(const std::string& folder) {
    std::string probe = folder + ".verrimo-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

}  // namespace

FileFolders runFolders(const std::string& programFolder) {
    FileFolders folders;
    folders.programFolder = programFolder;
    const QString installedBin = QDir::cleanPath(VERRIMO_INSTALL_BINDIR);
    folders.installed = QDir::cleanPath(fileName(programFolder)) == installedBin;
    folders.writable = canWrite(programFolder);
    const std::string home = environment("HOME", "/tmp");
    folders.configHome = environment("XDG_CONFIG_HOME", home + "/.config");
    folders.runtimeDir = environment("XDG_RUNTIME_DIR", "");
    folders.cacheHome = environment("XDG_CACHE_HOME", home + "/.cache");
    folders.sharedAutoList =
        fileNameBytes(QDir::cleanPath(fileName(programFolder) + "../share/verrimo/auto.txt"));
    return folders;
}

FilePlaces::FilePlaces(const FileFolders& folders) {
    const std::string ownList = folders.programFolder + "auto.txt";
    // A read-only folder without a list of its own holds an installed copy moved elsewhere.
    if (!folders.installed && (folders.writable || QFileInfo::exists(fileName(ownList)))) {
        autoList_ = ownList;
        if (folders.writable) {
            scratch_ = folders.programFolder + "temp.html";
            lock_ = std::make_unique<QLockFile>(fileName(scratch_ + ".lock"));
            // A copy that died leaves a lock that its pid tells is stale.
            lock_->setStaleLockTime(0);
            if (lock_->tryLock(0)) return;
            lock_.reset();
        }
        scratch_ = PrivateScratch(folders);
        return;
    }
    const QString config = fileName(folders.configHome) + "/verrimo";
    autoList_ = fileNameBytes(config + "/auto.txt");
    if (!QFileInfo::exists(fileName(autoList_)) && QDir().mkpath(config))
        QFile::copy(fileName(folders.sharedAutoList), fileName(autoList_));
    scratch_ = PrivateScratch(folders);
}

FilePlaces::~FilePlaces() = default;

std::string FilePlaces::PrivateScratch(const FileFolders& folders) {
    // Only this user can read the folder, and it goes when the run ends.
    QString base = fileName(folders.runtimeDir);
    if (base.isEmpty() || !QFileInfo(base).isDir()) {
        base = fileName(folders.cacheHome) + "/verrimo";
        QDir().mkpath(base);
    }
    runFolder_ = std::make_unique<QTemporaryDir>(base + "/verrimo-XXXXXX");
    if (!runFolder_->isValid())
        runFolder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/verrimo-XXXXXX");
    return fileNameBytes(runFolder_->filePath("temp.html"));
}

}  // namespace verrimo
