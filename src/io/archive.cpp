#include "io/archive.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace qx {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

void ArchiveWriter::writeUInt16(std::uint16_t v) {
  bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
  bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void ArchiveWriter::writeUInt32(std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

void ArchiveWriter::writeFloat(float v) { writeUInt32(std::bit_cast<std::uint32_t>(v)); }

void ArchiveWriter::writeDouble(double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  writeUInt32(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
  writeUInt32(static_cast<std::uint32_t>(bits >> 32));
}

void ArchiveWriter::writeString(std::string_view s) {
  const std::size_t n = s.size();
  if (n < 0xFF) {
    writeUInt8(static_cast<std::uint8_t>(n));
  } else if (n < 0xFFFE) {
    writeUInt8(0xFF);
    writeUInt16(static_cast<std::uint16_t>(n));
  } else {
    writeUInt8(0xFF);
    writeUInt16(0xFFFF);
    writeUInt32(static_cast<std::uint32_t>(n));
  }
  bytes_.insert(bytes_.end(), s.begin(), s.end());
}

void ArchiveWriter::writeCount(std::uint32_t n) {
  if (n < 0xFFFF) {
    writeUInt16(static_cast<std::uint16_t>(n));
  } else {
    writeUInt16(0xFFFF);
    writeUInt32(n);
  }
}

void ArchiveReader::fail(std::string_view what) const {
  std::string msg(what);
  if (!context_.empty()) msg += " in " + context_;
  throw ArchiveError(msg);
}

const std::uint8_t* ArchiveReader::take(std::size_t n) {
  if (n > remaining()) fail("unexpected end of file");
  const std::uint8_t* p = data_.data() + pos_;
  pos_ += n;
  return p;
}

std::uint8_t ArchiveReader::readUInt8() { return *take(1); }

std::uint16_t ArchiveReader::readUInt16() {
  const std::uint8_t* p = take(2);
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ArchiveReader::readUInt32() {
  const std::uint8_t* p = take(4);
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

float ArchiveReader::readFloat() { return std::bit_cast<float>(readUInt32()); }

double ArchiveReader::readDouble() {
  const std::uint64_t lo = readUInt32();
  const std::uint64_t hi = readUInt32();
  return std::bit_cast<double>(lo | (hi << 32));
}

float ArchiveReader::readFiniteFloat() {
  const float v = readFloat();
  if (!std::isfinite(v)) fail("a number that is not finite");
  return v;
}

double ArchiveReader::readFiniteDouble() {
  const double v = readDouble();
  if (!std::isfinite(v)) fail("a number that is not finite");
  return v;
}

std::string ArchiveReader::readString() {
  std::uint32_t n = readUInt8();
  if (n == 0xFF) {
    n = readUInt16();
    if (n == 0xFFFE) fail("malformed text (wide-character marker)");
    if (n == 0xFFFF) n = readUInt32();
  }
  if (n > remaining()) fail("unexpected end of file");
  const std::uint8_t* p = take(n);
  return std::string(reinterpret_cast<const char*>(p), n);
}

void ArchiveReader::requireElements(std::uint64_t n, std::size_t minBytesPerElement, std::string_view what) const {
  if (minBytesPerElement == 0) minBytesPerElement = 1;
  if (n > remaining() / minBytesPerElement) {
    std::string msg = "count of ";
    msg += std::to_string(n);
    msg += " ";
    msg += what;
    msg += " exceeds the rest of the file";
    fail(msg);
  }
}

std::uint32_t ArchiveReader::readCount(std::size_t minBytesPerElement) {
  std::uint32_t n = readUInt16();
  if (n == 0xFFFF) n = readUInt32();
  requireElements(n, minBytesPerElement, "elements");
  return n;
}

void ArchiveReader::readBytes(std::span<std::uint8_t> out) {
  const std::uint8_t* p = take(out.size());
  if (!out.empty()) std::memcpy(out.data(), p, out.size());
}

void Archive::ioBool(bool& b) {
  std::int32_t v = b ? 1 : 0;
  io(v);
  b = v != 0;
}

std::uint32_t Archive::ioCount(std::uint32_t n, std::size_t minBytesPerElement) {
  if (isStoring()) {
    writer_->writeCount(n);
    return n;
  }
  return reader_->readCount(minBytesPerElement);
}

std::int32_t Archive::ioInt32Count(std::int32_t n, std::size_t minBytesPerElement, std::string_view what) {
  io(n);
  if (isLoading()) {
    if (n < 0)
      throw ArchiveError("negative count of " + std::string(what) +
                         (reader_->context().empty() ? "" : " in " + reader_->context()));
    reader_->requireElements(static_cast<std::uint64_t>(n), minBytesPerElement, what);
  }
  return n;
}

}  // namespace qx
