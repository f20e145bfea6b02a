#include "engine/platform/file_names.hpp"

namespace kova {

std::optional<std::filesystem::path> path_from_bytes(std::string_view bytes) { return std::filesystem::path(bytes); }

std::string path_text(const std::filesystem::path& path) { return path.native(); }

bool same_path_name(const std::filesystem::path& a, const std::filesystem::path& b) { return a == b; }

std::FILE* open_file(const std::filesystem::path& path, const char* mode) { return std::fopen(path.c_str(), mode); }

}  // namespace kova
