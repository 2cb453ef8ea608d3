// std::filesystem paths from and to the program's path strings, which hold the bytes of the
// name on POSIX systems (any encoding, Big5 included) and UTF-8 on Windows. The char8_t
// forms are the ones the standard library converts as UTF-8 on Windows and leaves alone on
// POSIX; a plain std::string would go through the Windows code page.
#pragma once

#include <filesystem>
#include <string>

namespace morvane {

inline std::filesystem::path PathFromText(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string TextFromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace morvane
