// Writes a generated page of at least MB megabytes to FILE, for runs of verrimo-cli on big pages.
//   write_generated_page MB FILE
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "generated_page.h"

int main(int argc, char** argv) {
    const long mb = argc == 3 ? std::atol(argv[1]) : 0;
    if (mb <= 0) {
        std::cerr << "usage: write_generated_page MB FILE\n";
        return 2;
    }
    const std::string page = verrimo::bench::generatedPage(static_cast<std::size_t>(mb) << 20);
    std::ofstream file(argv[2], std::ios::binary);
    file.write(page.data(), static_cast<std::streamsize>(page.size()));
    file.close();
    if (!file) {
        std::cerr << "write_generated_page: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
