// tools/internal_literals: its copies compile literals to the bytes GCC's -fexec-charset=GB18030
// gives, case by case (literal_table.cpp), and keep every line where it was.

#include <gtest/gtest.h>

#include <string>

#include "support/hex.h"
#include "tools/literal_table.h"

namespace torvane {
namespace {

using testing::Hex;

TEST(InternalLiterals, CopiesGiveTheBytesOfTheCompilersOwnConversion) {
  const std::vector<LiteralCase> expected = ExecCharsetLiterals();
  const std::vector<LiteralCase> copied = CopiedLiterals();
  ASSERT_EQ(copied.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const LiteralCase& e = expected[i];
    const LiteralCase& c = copied[i];
    ASSERT_STREQ(c.what, e.what);
    EXPECT_EQ(Hex(c.bytes), Hex(e.bytes)) << e.what;
    EXPECT_EQ(c.line, e.line) << e.what;
  }
}

TEST(InternalLiterals, TheTableHoldsTheOddCases) {
  // The conversion is really on, and the cases the copy must get right are what they claim.
  static const struct {
    const char* what;
    const char* hex;
  } cases[] = {
      {"Chinese", "D6 D0 CE C4"},
      {"a trail byte that is a backslash", "D5 5C"},
      {"a hex digit after a character", "D6 D0 41"},
      {"the euro sign and an accented letter", "A2 E3 A8 A6"},
      {"a UTF-8 literal stays UTF-8", "E4 B8 AD E6 96 87"},
  };
  const std::vector<LiteralCase> table = CopiedLiterals();
  for (const auto& c : cases) {
    bool found = false;
    for (const LiteralCase& l : table) {
      if (std::string(l.what) != c.what) continue;
      found = true;
      EXPECT_EQ(Hex(l.bytes), c.hex) << c.what;
    }
    EXPECT_TRUE(found) << c.what;
  }
}

}  // namespace
}  // namespace torvane
