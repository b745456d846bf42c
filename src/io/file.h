#pragma once
// Text and data files opened through the C library, closed by their owner.
// Reading opens regular files only: a folder, a device such as /dev/zero or a
// pipe would never end, so it is refused like a file that cannot be opened.
#include <cstdio>
#include <string>
#include <string_view>

namespace qx {

class CFile {
 public:
  CFile() = default;
  explicit CFile(std::FILE* file) : file_(file) {}
  ~CFile() { close(); }
  CFile(CFile&& other) noexcept : file_(other.file_) { other.file_ = nullptr; }
  CFile& operator=(CFile&& other) noexcept;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  std::FILE* get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }
  // Closes the file; false when it was not open or when closing failed (the
  // last bytes could not be written: a full disk).
  bool close();

 private:
  std::FILE* file_ = nullptr;
};

// True when the path names a regular file (after symbolic links).
bool isRegularFile(const std::string& path);
// Opens a regular file for reading in binary mode; not open otherwise.
CFile openForReading(const std::string& path);
// Creates or truncates a file for writing ("w").
CFile openForWriting(const std::string& path);
// Writes the bytes and closes the file; false when any of it failed.
bool writeAndClose(CFile& file, std::string_view text);

}  // namespace qx
