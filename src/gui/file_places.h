// Where the program keeps auto.txt and its scratch copy of the page. A copy in a folder of its
// own (portable) keeps both beside itself; one in a folder it cannot write reads its auto.txt in
// place and writes the scratch copy in a private folder of the run. An installed copy, and a
// read-only one that has no auto.txt of its own, read auto.txt from the user's configuration
// folder and write the scratch copy in a private folder of the run.
#pragma once

#include <QLockFile>
#include <QTemporaryDir>
#include <memory>
#include <string>

namespace verrimo {

struct FileFolders {
    std::string programFolder;   // with its trailing separator
    bool installed = false;      // the folder is where the program was installed to
    bool writable = true;        // a file can be made in the folder
    std::string configHome;      // $XDG_CONFIG_HOME, or ~/.config
    std::string runtimeDir;      // $XDG_RUNTIME_DIR; may be empty
    std::string cacheHome;       // $XDG_CACHE_HOME, or ~/.cache
    std::string sharedAutoList;  // the installed example auto.txt
};

// The folders of this run, read from the environment; programFolder from the executable.
FileFolders runFolders(const std::string& programFolder);

class FilePlaces {
  public:
    explicit FilePlaces(const FileFolders& folders);
    ~FilePlaces();
    FilePlaces(const FilePlaces&) = delete;
    FilePlaces& operator=(const FilePlaces&) = delete;

    // The auto list to read; in the user's folder created from the shared example when missing.
    const std::string& autoList() const { return autoList_; }
    // The scratch copy of the page: beside the program unless another copy running from the
    // same folder holds it, or the folder is not the program's own to write.
    const std::string& scratch() const { return scratch_; }

  private:
    std::string PrivateScratch(const FileFolders& folders);

    std::string autoList_;
    std::string scratch_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QTemporaryDir> runFolder_;
};

}  // namespace verrimo
