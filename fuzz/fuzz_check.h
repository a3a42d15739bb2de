#pragma once

// What the fuzz harnesses share. Each harness is one LLVMFuzzerTestOneInput over a reader of the
// program's own code; it runs under libFuzzer in the fuzz build and under replay_main.cpp in the
// tests, which feed it every file of its corpus.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace torvane {

// Stops the run when a promise of the code under test is broken, as a crash would, so the fuzzer
// keeps the input that showed it and a replay fails on it.
inline void Require(bool kept, const char* promise) {
  if (kept) return;
  std::fprintf(stderr, "Broken promise: %s\n", promise);
  std::abort();
}

}  // namespace torvane
