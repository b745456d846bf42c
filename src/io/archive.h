#pragma once
// The project file's primitive encodings: little-endian int32, float and
// double, the string record with its three length forms and the element count
// with its two forms. A record is written and read by one routine taking an
// `Archive`, so what is stored is exactly what is loaded.
//
// The reader raises `ArchiveError` for a short or malformed file. Every count
// and length is checked against the bytes that remain before anything is
// allocated, so a broken file can never make a reader allocate more than a
// small multiple of its own size.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ArchiveWriter {
 public:
  void writeUInt8(std::uint8_t v) { bytes_.push_back(v); }
  void writeUInt16(std::uint16_t v);
  void writeUInt32(std::uint32_t v);
  void writeInt32(std::int32_t v) { writeUInt32(static_cast<std::uint32_t>(v)); }
  void writeFloat(float v);
  void writeDouble(double v);
  // Below 255 characters: one length byte. Below 0xFFFE: 0xFF, then a 16-bit
  // length. Otherwise 0xFF, 0xFFFF, then a 32-bit length. No terminator.
  void writeString(std::string_view s);
  // Below 0xFFFF: a 16-bit count; otherwise 0xFFFF, then a 32-bit count.
  void writeCount(std::uint32_t n);
  void writeBytes(std::span<const std::uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

class ArchiveReader {
 public:
  explicit ArchiveReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint8_t readUInt8();
  std::uint16_t readUInt16();
  std::uint32_t readUInt32();
  std::int32_t readInt32() { return static_cast<std::int32_t>(readUInt32()); }
  float readFloat();
  double readDouble();
  // As readFloat and readDouble; a NaN or an infinity is refused with
  // "a number that is not finite".
  float readFiniteFloat();
  double readFiniteDouble();
  std::string readString();
  // An element count, refused when `n * minBytesPerElement` exceeds what remains.
  std::uint32_t readCount(std::size_t minBytesPerElement);
  void readBytes(std::span<std::uint8_t> out);

  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool atEnd() const { return pos_ == data_.size(); }
  // Fails unless `n` elements of at least `minBytesPerElement` bytes can still follow.
  void requireElements(std::uint64_t n, std::size_t minBytesPerElement, std::string_view what) const;

  // The record being read, for messages: "the composites".
  void setContext(std::string context) { context_ = std::move(context); }
  const std::string& context() const { return context_; }

 private:
  const std::uint8_t* take(std::size_t n);
  [[noreturn]] void fail(std::string_view what) const;

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
  std::string context_;
};

// One routine per record serves both directions.
class Archive {
 public:
  explicit Archive(ArchiveWriter& w) : writer_(&w) {}
  explicit Archive(ArchiveReader& r) : reader_(&r) {}

  bool isStoring() const { return writer_ != nullptr; }
  bool isLoading() const { return reader_ != nullptr; }
  ArchiveWriter& writer() { return *writer_; }
  ArchiveReader& reader() { return *reader_; }

  void io(std::int32_t& v) { isStoring() ? writer_->writeInt32(v) : void(v = reader_->readInt32()); }
  // Numbers of a project are finite: a NaN or an infinity read from a file
  // is refused, so that none can reach a result.
  void io(float& v) { isStoring() ? writer_->writeFloat(v) : void(v = reader_->readFiniteFloat()); }
  void io(double& v) { isStoring() ? writer_->writeDouble(v) : void(v = reader_->readFiniteDouble()); }
  void io(std::string& s) { isStoring() ? writer_->writeString(s) : void(s = reader_->readString()); }
  // A boolean held as int32 0/1; any non-zero value loads as true.
  void ioBool(bool& b);
  // An element count: stores `n`, or loads and checks a count against the bytes left.
  std::uint32_t ioCount(std::uint32_t n, std::size_t minBytesPerElement);
  // An int32 count of elements that follow (the way the settings store the
  // variable counts): stores `n`, or loads a non-negative count and checks it.
  std::int32_t ioInt32Count(std::int32_t n, std::size_t minBytesPerElement, std::string_view what);

  // Names the record being read, for messages.
  void setContext(std::string context) {
    if (reader_ != nullptr) reader_->setContext(std::move(context));
  }

 private:
  ArchiveWriter* writer_ = nullptr;
  ArchiveReader* reader_ = nullptr;
};

}  // namespace qx
