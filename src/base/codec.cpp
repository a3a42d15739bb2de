#include "base/codec.h"

#include <cerrno>
#include <iconv.h>

namespace torvane {
namespace {

constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";
constexpr char kUtf8Euro[] = "\xE2\x82\xAC";
constexpr char kGbReplacement[] = "\x84\x31\xA4\x37";  // U+FFFD in GB18030

// One iconv descriptor per direction, opened on first use and kept for the whole run.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; at each byte iconv cannot take, `on_bad` appends its replacement to `out` and the
  // byte is stepped over.
  template <typename OnBad>
  std::string Run(std::string_view in, OnBad on_bad) {
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      for (unsigned char c : in) {
        if (c < 0x80) out.push_back(static_cast<char>(c));
        else on_bad(c, out);
      }
      return out;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char buffer[4096];
    while (src_left > 0) {
      char* dst = buffer;
      std::size_t dst_left = sizeof buffer;
      const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (rc != static_cast<std::size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a sequence cut off at the end): replace one byte and go on.
      on_bad(static_cast<unsigned char>(*src), out);
      ++src;
      --src_left;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string ToUtf8(std::string_view internal) {
  static thread_local Converter converter("UTF-8", "GB18030");
  return converter.Run(internal, [](unsigned char c, std::string& out) {
    out += (c == 0x80) ? kUtf8Euro : kUtf8Replacement;
  });
}

std::string FromUtf8(std::string_view utf8) {
  static thread_local Converter converter("GB18030", "UTF-8");
  return converter.Run(utf8, [](unsigned char, std::string& out) { out += kGbReplacement; });
}

}  // namespace torvane
