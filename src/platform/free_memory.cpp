#include "platform/free_memory.h"

#include <malloc.h>

namespace torvane {

void ReturnFreeMemory() { ::malloc_trim(0); }

}  // namespace torvane
