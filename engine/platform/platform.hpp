#pragma once
// The few things the engine asks of the operating system beyond the standard library.

#include <cstdint>
#include <cstdio>

namespace kova {

// True when the stream is an interactive terminal (console window).
bool is_terminal(std::FILE* stream);

// Drops what was typed on the console and not read yet, so that the next read waits for new input.
void discard_typed_ahead(std::FILE* stream);

// Makes standard output and standard error pass bytes unchanged. Every line the engine writes
// already ends with CR LF; a Windows text-mode stream would turn it into CR CR LF.
void use_binary_standard_output();

// Physical memory of the machine in bytes; 0 where it cannot be told.
std::uint64_t physical_memory_bytes();

}  // namespace kova
