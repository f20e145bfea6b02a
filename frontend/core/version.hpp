#pragma once
// The front end's version, as its Windows version record also states it.

namespace kova {

inline constexpr const char* kFrontEndVersionText = "1.00";
inline constexpr const char* kFrontEndVersionNumber = "1.0.0.0";

}  // namespace kova
