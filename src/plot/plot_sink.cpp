#include "plot/plot_sink.h"

#include <cstdio>

namespace qx {

namespace {
constexpr std::size_t kBufferSize = 4096;
}

FileSink::FileSink(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}

void FileSink::write(std::string_view bytes) {
  if (!file_) return;
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferSize) flush();
}

void FileSink::flush() {
  if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get()) != buffer_.size()) failed_ = true;
  buffer_.clear();
}

bool FileSink::close() {
  if (!file_) return !failed_;
  flush();
  const bool closed = file_.close();
  failed_ = failed_ || !closed;
  return !failed_;
}

}  // namespace qx
