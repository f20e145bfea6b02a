#pragma once
// The engine's version, as `kova2 --version` states it.

namespace kova {

inline constexpr const char* kEngineVersion = "1.0.0";

}  // namespace kova
