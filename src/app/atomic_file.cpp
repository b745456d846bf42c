#include "app/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace qx {

namespace {

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Creates the file that receives the bytes: unnamed when the file system
// allows it (nothing is left if the process dies), else a named temporary.
int openTemporary(const std::filesystem::path& dir, std::filesystem::path& named) {
#ifdef O_TMPFILE
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  if (fd >= 0) return fd;
#endif
  std::string pattern = (dir / ".qrx-save-XXXXXX").string();
  const int named_fd = ::mkstemp(pattern.data());
  if (named_fd >= 0) named = pattern;
  return named_fd;
}

std::filesystem::path temporaryName(const std::filesystem::path& target) {
  std::random_device rd;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".tmp%08x", static_cast<unsigned>(rd()));
  return target.parent_path() / ("." + target.filename().string() + suffix);
}

}  // namespace

std::string writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                                const WriteFunction& write) {
  const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  std::filesystem::path named;  // set when the temporary has a name from the start
  const int fd = openTemporary(dir, named);
  if (fd < 0) return errnoText("cannot create a file in the folder");

  auto fail = [&](std::string why) {
    ::close(fd);
    if (!named.empty()) ::unlink(named.c_str());
    return why;
  };

  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, 1 << 20);
    const long n = write ? write(fd, bytes.data() + done, chunk) : ::write(fd, bytes.data() + done, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errnoText("write failed"));
    }
    if (n == 0) return fail("write failed: no space written");
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(errnoText("flush to disk failed"));

  if (named.empty()) {
    // Give the unnamed file a name next to the target, then rename it over.
    named = temporaryName(target);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      named.clear();
      return fail(errnoText("cannot name the saved file"));
    }
  }
  if (::close(fd) != 0) {
    ::unlink(named.c_str());
    return errnoText("close failed");
  }
  if (::rename(named.c_str(), target.c_str()) != 0) {
    const std::string why = errnoText("cannot replace the file");
    ::unlink(named.c_str());
    return why;
  }
  // Make the rename itself durable.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return {};
}

std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& file, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = "it is a folder, not a file";
    return {};
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot open the file";
    return {};
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) error = "cannot read the file";
  return bytes;
}

}  // namespace qx
