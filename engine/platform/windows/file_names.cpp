#include "engine/platform/file_names.hpp"

#include <climits>
#include <cstdio>
#include <string>

#include <share.h>
#include <windows.h>

namespace kova {

// The C++ library's own narrow-to-wide path conversion uses the C locale, not the ANSI code page
// the front end writes in, so a name such as "r\xe9sultat.txt" would name another file. The
// conversions here go through the system code page explicitly.
std::optional<std::filesystem::path> path_from_bytes(std::string_view bytes) {
  if (bytes.empty()) return std::filesystem::path();
  if (bytes.size() > INT_MAX) return std::nullopt;
  const int size = static_cast<int>(bytes.size());
  const int wide_size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (wide_size <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), wide_size) != wide_size) {
    return std::nullopt;
  }
  return std::filesystem::path(std::move(wide));
}

std::string path_text(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty() || wide.size() > INT_MAX) return std::string();
  const int size = static_cast<int>(wide.size());
  const int narrow_size = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (narrow_size <= 0) return std::string();
  std::string narrow(static_cast<std::size_t>(narrow_size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, narrow.data(), narrow_size, nullptr, nullptr);
  return narrow;
}

bool same_path_name(const std::filesystem::path& a, const std::filesystem::path& b) {
  const std::wstring wa = std::filesystem::path(a).make_preferred().native();
  const std::wstring wb = std::filesystem::path(b).make_preferred().native();
  if (wa.size() > INT_MAX || wb.size() > INT_MAX) return false;
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()), TRUE) ==
         CSTR_EQUAL;
}

// Shared for reading and writing: the front end may rewrite a file while an engine holds it.
std::FILE* open_file(const std::filesystem::path& path, const char* mode) {
  const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return _wfsopen(path.c_str(), wide_mode.c_str(), _SH_DENYNO);
}

}  // namespace kova
