// Test entry for the logic's tests: the widget toolkit on the offscreen platform for the whole run,
// started through the Qt-free runtime.

#include <cstdlib>

#include <gtest/gtest.h>

#include "ui/runtime.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  torvane::Runtime runtime(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
