#include "io/file.h"

#include <sys/stat.h>

namespace qx {

CFile& CFile::operator=(CFile&& other) noexcept {
  if (this != &other) {
    close();
    file_ = other.file_;
    other.file_ = nullptr;
  }
  return *this;
}

bool CFile::close() {
  if (file_ == nullptr) return false;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

CFile openForReading(const std::string& path) {
  if (!isRegularFile(path)) return CFile();
  CFile file(std::fopen(path.c_str(), "rb"));
  // The name may have been replaced between the look and the open.
  struct stat st {};
  if (file && (::fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode))) return CFile();
  return file;
}

CFile openForWriting(const std::string& path) { return CFile(std::fopen(path.c_str(), "w")); }

bool writeAndClose(CFile& file, std::string_view text) {
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  return file.close() && written;
}

}  // namespace qx
