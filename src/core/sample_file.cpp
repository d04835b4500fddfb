#include "sample_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "definition.h"

namespace verrimo {

std::string userSamplesPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder = config && *config ? std::string(config)
                               : home && *home   ? std::string(home) + "/.config"
                                                 : std::string();
    return folder.empty() ? folder : folder + "/verrimo/samples.txt";
}

SampleValues userSampleValues() {
    const std::string path = userSamplesPath();
    if (path.empty()) return {};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::ostringstream text;
    text << file.rdbuf();
    return readSampleValues(text.str());
}

std::string sampleValuesText(const SampleValues& samples) {
    namespace def = definition;
    return std::string(def::kId) + "=" + samples.id + "\n" + std::string(def::kPass) + "=" +
           samples.password + "\n" + std::string(def::kEmail) + "=" + samples.email + "\n";
}

bool writeUserSampleValues(const SampleValues& samples) {
    const std::string path = userSamplesPath();
    if (path.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << sampleValuesText(samples);
    file.close();
    return static_cast<bool>(file);
}

}  // namespace verrimo
