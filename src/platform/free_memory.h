#pragma once

// Handing freed memory back to the system.

namespace torvane {

// Gives the heap's free pages back to the system. The C library keeps memory a large result freed
// for its own next use, so without this a program that showed several large results in turn stays
// as large as all of them together.
void ReturnFreeMemory();

}  // namespace torvane
