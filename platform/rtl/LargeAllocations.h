#pragma once
// How the process allocates large blocks (column arrays, text arenas, page buffers).

namespace stock {

// Makes every allocation of 512 KiB or more a mapping of its own that goes back to the system
// when freed. Without it the C library raises that threshold as large blocks are freed and then
// serves them from the heap, where the arrays a million-row load leaves behind as it grows stay
// resident: the register of a million lines peaks about 15 to 30 MiB higher and runs slower.
// REQUIRES: called once at program start, before other threads exist.
void UseSteadyLargeAllocations();

}  // namespace stock
