#pragma once
// Where a plot's bytes go: a file (buffered, 4096 bytes at a time) or memory.
#include <cstddef>
#include <string>
#include <string_view>

#include "io/file.h"

namespace qx {

class PlotSink {
 public:
  virtual ~PlotSink() = default;
  virtual void write(std::string_view bytes) = 0;
  // Writes what is buffered and releases the output; false when any write
  // failed (a full disk). Closing twice is harmless.
  virtual bool close() { return true; }
};

class MemorySink : public PlotSink {
 public:
  void write(std::string_view bytes) override { bytes_.append(bytes); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

class FileSink : public PlotSink {
 public:
  // Creates or truncates the file; isOpen() tells whether that worked.
  explicit FileSink(const std::string& path);
  ~FileSink() override { close(); }
  bool isOpen() const { return static_cast<bool>(file_); }
  void write(std::string_view bytes) override;
  bool close() override;

 private:
  void flush();
  CFile file_;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace qx
