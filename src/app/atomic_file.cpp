#include "app/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string_view>

namespace qx {

namespace {

std::string errnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Our temporaries are ".<file name>.tmp" and eight hexadecimal digits, next
// to the file they replace.
constexpr std::string_view kTemporaryInfix = ".tmp";
constexpr std::size_t kTemporaryDigits = 8;

std::filesystem::path temporaryName(const std::filesystem::path& target) {
  std::random_device rd;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
  return target.parent_path() / ("." + target.filename().string() + std::string(kTemporaryInfix) + suffix);
}

bool isOurTemporary(const std::string& name, const std::string& targetName) {
  const std::string prefix = "." + targetName + std::string(kTemporaryInfix);
  if (name.size() != prefix.size() + kTemporaryDigits || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// A save killed between writing and renaming leaves its named temporary:
// the next save of the same file removes it.
void removeStaleTemporaries(const std::filesystem::path& target) {
  const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  const std::string targetName = target.filename().string();
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!isOurTemporary(it->path().filename().string(), targetName)) continue;
    std::error_code rc;
    if (it->is_regular_file(rc)) std::filesystem::remove(it->path(), rc);
  }
}

// The file a save writes: a symbolic link is followed to the file it names
// (which may not exist yet), so the link stays a link.
std::filesystem::path resolveLinks(std::filesystem::path target) {
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(target, ec)) break;
    const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

// Creates the file that receives the bytes: unnamed when the file system
// allows it (nothing is left if the process dies), else a named temporary.
int openTemporary(const std::filesystem::path& dir, const std::filesystem::path& target, mode_t mode,
                  std::filesystem::path& named) {
#ifdef O_TMPFILE
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd >= 0) return fd;
#endif
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::filesystem::path name = temporaryName(target);
    const int named_fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
    if (named_fd >= 0) {
      named = name;
      return named_fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

std::string writeFileAtomically(const std::filesystem::path& requested, std::span<const std::uint8_t> bytes,
                                const WriteFunction& write) {
  const std::filesystem::path target = resolveLinks(requested);
  const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  removeStaleTemporaries(target);

  // The replaced file keeps its permissions and, where we may, its owner.
  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
  const mode_t mode = replacing ? (old.st_mode & 07777) : 0666;

  std::filesystem::path named;  // set when the temporary has a name from the start
  const int fd = openTemporary(dir, target, mode, named);
  if (fd < 0) return errnoText("cannot create a file in the folder");

  auto fail = [&](std::string why) {
    ::close(fd);
    if (!named.empty()) ::unlink(named.c_str());
    return why;
  };

  if (replacing) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Only the owner's group may be ours to give; the mode below still holds.
    }
    if (::fchmod(fd, mode) != 0) return fail(errnoText("cannot keep the file's permissions"));
  } else {
    // A new file gets the permissions the user's umask leaves, as any other.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) return fail(errnoText("cannot set the file's permissions"));
  }

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
  if (std::filesystem::exists(file, ec) && !std::filesystem::is_regular_file(file, ec)) {
    // A device or a pipe: /dev/zero would be read until memory runs out.
    error = "it is not a regular file";
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
