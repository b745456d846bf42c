#pragma once
// Files, folders and locales for tests: one copy of each small helper.
#include <unistd.h>

#include <atomic>
#include <clocale>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace qx::test {

// The whole file as text; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
  const std::string s = readFile(path);
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

// Writes the text as it stands (binary: no line-end translation).
inline void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The text split at line feeds (no final empty line).
inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> out;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

// A fresh folder of its own under the system's temporary folder, removed
// with everything in it when the object goes. Unique per process and object,
// so test programs that ctest runs side by side never share one.
class TempDir {
 public:
  explicit TempDir(const std::string& tag = "qx") {
    static std::atomic<int> serial{0};
    path_ = std::filesystem::temp_directory_path() /
            (tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  // Writes a file in the folder and returns its path.
  std::filesystem::path write(const std::string& name, const std::string& text) const {
    writeText(path_ / name, text);
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

// Sets LC_ALL for the lifetime of the object and restores the previous one.
class LocaleGuard {
 public:
  explicit LocaleGuard(const char* name) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current != nullptr ? current : "C";
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~LocaleGuard() { std::setlocale(LC_ALL, previous_.c_str()); }
  LocaleGuard(const LocaleGuard&) = delete;
  LocaleGuard& operator=(const LocaleGuard&) = delete;
  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

}  // namespace qx::test
