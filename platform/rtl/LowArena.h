#pragma once
// Memory below 2 GiB, for objects whose address travels through a signed 32-bit integer
// (the report object handed to a plug-in's Imprimir). Each block is its own mapping.

#include <cstddef>

// A zero-filled block of at least `size` bytes whose address fits in a positive int32_t.
// Raises std::bad_alloc when the low address space is exhausted. Release with LowArenaFree.
void* LowArenaAllocate(std::size_t size);

// Releases a block from LowArenaAllocate; a null pointer is accepted.
void LowArenaFree(void* block) noexcept;

// Mix-in giving a class operator new/delete in the low arena.
struct LowArenaAllocated {
  static void* operator new(std::size_t size) { return LowArenaAllocate(size); }
  static void operator delete(void* p) noexcept { LowArenaFree(p); }
};
