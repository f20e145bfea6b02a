#pragma once
// The few things the engine asks of the operating system beyond the standard library.

#include <cstdint>
#include <cstdio>

namespace kova {

// True when the stream is an interactive terminal (console window).
bool is_terminal(std::FILE* stream);

// Physical memory of the machine in bytes; 0 where it cannot be told.
std::uint64_t physical_memory_bytes();

}  // namespace kova
