// Makes the console's SQL template file: every line of a UTF-8 source becomes one template, written
// as GBK text with CR LF line ends. Usage: make_template_file <source.txt> <SQL模板.txt>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "base/codec.h"
#include "base/files.h"
#include "base/text.h"

int main(int argc, char** argv) {
  using namespace torvane;
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_template_file <source.txt> <target>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "make_template_file: cannot read %s\n", argv[1]);
    return 1;
  }
  std::string text;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    text += FromUtf8(line) + "\r\n";
  }
  if (!WriteFile(FromUtf8(argv[2]), TextToBytes(text))) {
    std::fprintf(stderr, "make_template_file: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
