// Runs a fuzz harness over files instead of generated inputs: every file named on the command line,
// and every file in a folder named there, in name order. A corpus case that once broke a promise
// therefore stays a test. Fails when no file was found, so a wrong folder is not a silent pass.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_check.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path path(argv[i]);
    std::error_code error;
    if (fs::is_directory(path, error)) {
      for (const auto& entry : fs::directory_iterator(path, error)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else if (fs::is_regular_file(path, error)) {
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "No input files found\n");
    return 1;
  }
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
      std::fprintf(stderr, "Cannot read %s\n", file.c_str());
      return 1;
    }
    std::printf("%s (%zu bytes)\n", file.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("%zu inputs ran\n", files.size());
  return 0;
}
