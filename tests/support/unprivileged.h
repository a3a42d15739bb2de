#pragma once

// Running part of a test as a user without privileges, for the failures root never meets (a file
// it may not read or write).

#include <functional>
#include <string>

namespace torvane::testing {

// Runs `body` in a child process as an unprivileged user (or as this user when not root) and
// returns what it reported: "" when all its checks passed. Returns "skip" when privileges could not
// be dropped. The child ends without running exit handlers, so it leaves the test's state alone.
std::string RunUnprivileged(const std::function<std::string()>& body);

}  // namespace torvane::testing
