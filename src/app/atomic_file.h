#pragma once
// Writing a file so that a failed or killed write never damages the file it
// replaces: the bytes go to an unnamed file in the same folder, which is
// flushed to disk, given a temporary name and renamed over the target.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace qx {

// The system's write call, replaceable by tests to fail at a chosen byte.
using WriteFunction = std::function<long(int fd, const void* data, std::size_t size)>;

// Replaces `target` with `bytes`. Returns "" on success, else what went wrong;
// on failure the target is as it was and no temporary file is left behind.
std::string writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                                const WriteFunction& write = {});

// The whole file, or an error text in `error`.
std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& file, std::string& error);

}  // namespace qx
