#include "rtl/LargeAllocations.h"

#include <malloc.h>

namespace stock {

void UseSteadyLargeAllocations() {
  // Setting the threshold also switches off its adjustment by the C library.
  mallopt(M_MMAP_THRESHOLD, 512 * 1024);
}

}  // namespace stock
