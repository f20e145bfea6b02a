#pragma once
// File names as the run description files hold them, and opening files by such names. The bytes
// of a path in outinfo.txt are the system's own: on Windows text in the ANSI code page, elsewhere
// the file name's bytes unchanged. One implementation per platform (windows/ and posix/).

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kova {

// The file that `bytes` names; nothing when the bytes are not text of the system's code page.
std::optional<std::filesystem::path> path_from_bytes(std::string_view bytes);

// The path as the system's narrow text, for messages; never throws (a character the code page
// cannot show becomes '?').
std::string path_text(const std::filesystem::path& path);

// The path as messages quote it.
inline std::string quoted(const std::filesystem::path& path) { return "'" + path_text(path) + "'"; }

// ": " and the system's reason for `error`, for the end of a message; nothing for 0.
inline std::string system_reason(int error) { return error != 0 ? std::string(": ") + std::strerror(error) : ""; }

// True when two absolute, normalised paths spell the same name as the platform compares names:
// on Windows regardless of case and of '/' against '\'; elsewhere byte for byte.
bool same_path_name(const std::filesystem::path& a, const std::filesystem::path& b);

// std::fopen for a path, through the wide file functions on Windows so that every name opens.
std::FILE* open_file(const std::filesystem::path& path, const char* mode);

}  // namespace kova
