#include "frontend/win32/console_launcher.hpp"

#include <windows.h>

#include <string>

namespace kova::win32 {
namespace {

std::string system_message(DWORD error) {
  char* text = nullptr;
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message;
}

std::string own_folder() {
  std::string path(32768, '\0');
  path.resize(GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of("\\/"));
}

}  // namespace

void ConsoleLauncher::start(const std::string& engine_name) {
  // CreateProcess may write into the command line, so it gets a copy of its own.
  std::string command_line = engine_name;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                      &startup, &process)) {
    const DWORD error = GetLastError();
    throw LaunchError("Cannot start the engine " + engine_name + ": " + system_message(error) +
                      "\r\nIt is looked for in the folder of KOVA (" + own_folder() +
                      "), the current folder, the Windows folders and the folders of PATH.");
  }
  // Not waited for: the engine runs on its own.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace kova::win32
