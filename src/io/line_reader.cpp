#include "io/line_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace qx {

std::size_t MemorySource::read(std::span<char> out) {
  const std::size_t n = std::min(out.size(), bytes_.size() - pos_);
  if (n == 0) return 0;  // an empty source may have no storage at all
  std::memcpy(out.data(), bytes_.data() + pos_, n);
  pos_ += n;
  return n;
}

std::size_t FileSource::read(std::span<char> out) {
  if (file_ == nullptr || failed_) return 0;
  const std::size_t n = std::fread(out.data(), 1, out.size(), file_);
  if (n < out.size() && std::ferror(file_) != 0) failed_ = true;
  return n;
}

std::optional<std::uint64_t> FileSource::remaining() const {
  if (file_ == nullptr || failed_) return std::nullopt;
  const long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return std::nullopt;
  const long end = std::ftell(file_);
  if (std::fseek(file_, here, SEEK_SET) != 0 || end < here) return std::nullopt;
  return static_cast<std::uint64_t>(end - here);
}

LineReader::LineReader(ByteSource& source, std::size_t bufferSize)
    : source_(source), line_(std::max<std::size_t>(bufferSize, 1), ' ') {
  line_.back() = '\0';
}

bool LineReader::fill() {
  if (chunkPos_ < chunkEnd_) return true;
  if (atEnd_) return false;
  if (chunk_.empty()) chunk_.resize(kChunkSize);
  chunkEnd_ = source_.read(chunk_);
  chunkPos_ = 0;
  if (chunkEnd_ == 0) {
    atEnd_ = true;
    return false;
  }
  return true;
}

std::optional<std::uint64_t> LineReader::bytesRemaining() const {
  if (atEnd_) return chunkEnd_ - chunkPos_;
  const std::optional<std::uint64_t> rest = source_.remaining();
  if (!rest) return std::nullopt;
  return *rest + (chunkEnd_ - chunkPos_);
}

bool LineReader::readLine() {
  const std::size_t capacity = line_.size() - 1;
  std::size_t n = 0;
  bool any = false;
  cut_ = false;
  // Whole runs of the chunk at a time: up to the line feed or the chunk's end.
  while (fill()) {
    any = true;
    const char* begin = chunk_.data() + chunkPos_;
    const std::size_t available = chunkEnd_ - chunkPos_;
    const auto* feed = static_cast<const char*>(std::memchr(begin, '\n', available));
    const std::size_t run = feed != nullptr ? static_cast<std::size_t>(feed - begin) : available;
    if (nulLine_ == 0 && std::memchr(begin, '\0', run) != nullptr) nulLine_ = lineCount_ + 1;
    const std::size_t kept = std::min(run, capacity - n);
    if (kept < run) cut_ = true;  // the rest of a long line is skipped up to its line feed
    std::memcpy(line_.data() + n, begin, kept);
    n += kept;
    chunkPos_ += run;
    consumed_ += run;
    if (feed != nullptr) {
      ++chunkPos_;
      ++consumed_;
      break;
    }
  }
  // Blanks after the line; only what the previous line left needs them.
  if (dirty_ > n) std::memset(line_.data() + n, ' ', dirty_ - n);
  dirty_ = n;
  readLength_ = n;
  if (!any || source_.failed()) {
    std::memset(line_.data(), ' ', dirty_);
    dirty_ = 0;
    readLength_ = 0;
    return false;
  }
  ++lineCount_;
  return true;
}

TextFault textFault(const LineReader& reader) {
  if (reader.nulLine() > 0) return {TextFault::Kind::NulByte, reader.nulLine()};
  if (reader.failed() || reader.lineCount() == 0) return {TextFault::Kind::Unreadable, reader.lineCount() + 1};
  return {};
}

std::string textFaultMessage(const std::string& path, const TextFault& fault) {
  const std::string line = "line " + std::to_string(fault.line);
  switch (fault.kind) {
    case TextFault::Kind::NulByte:
      return "Nothing was loaded from " + path + ":\n" + line + " holds a NUL byte: this is not a text file.";
    case TextFault::Kind::Unreadable:
      return "Nothing was loaded from " + path + ":\n" + line + " could not be read" +
             (fault.line == 1 ? ": the file is empty or cannot be read." : ".");
    case TextFault::Kind::None: break;
  }
  return {};
}

char characterAt(std::string_view line, int position) {
  if (position < 1 || static_cast<std::size_t>(position) > line.size()) return ' ';
  return line[static_cast<std::size_t>(position) - 1];
}

namespace {

// A field's characters without copying when it lies inside the line; else
// `scratch` receives them, columns outside the line as blanks.
std::string_view fieldView(std::string_view line, int position, int length, std::string& scratch) {
  if (length <= 0) return {};
  const long long first = position;
  const long long last = first + length - 1;
  if (first >= 1 && last <= static_cast<long long>(line.size()))
    return line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(length));
  scratch.assign(static_cast<std::size_t>(length), ' ');
  for (long long col = std::max(first, 1LL); col <= std::min(last, static_cast<long long>(line.size())); ++col)
    scratch[static_cast<std::size_t>(col - first)] = line[static_cast<std::size_t>(col - 1)];
  return scratch;
}

// White space as the C locale's isspace defines it.
constexpr bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string textAt(std::string_view line, int position, int length) {
  std::string scratch;
  std::string_view field = fieldView(line, position, length, scratch);
  field = field.substr(0, field.find('\0'));
  return std::string(field);
}

double scanNumber(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const std::size_t start = i;
  std::size_t digits = 0;
  while (i < n && isDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && isDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < n && isDigit(text[j])) {
      while (j < n && isDigit(text[j])) ++j;
      i = j;
    }
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
  if (ec != std::errc() || end != text.data() + i || !std::isfinite(value)) return 0.0;
  return negative ? -value : value;
}

std::int32_t scanInteger(std::string_view text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= n || !isDigit(text[i])) return 0;
  constexpr long long kLimit = static_cast<long long>(std::numeric_limits<std::int32_t>::max()) + 1;
  long long value = 0;
  for (; i < n && isDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) return 0;
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(value);
}

double numberAt(std::string_view line, int position, int length) {
  std::string scratch;
  return scanNumber(fieldView(line, position, length, scratch));
}

std::int32_t integerAt(std::string_view line, int position, int length) {
  std::string scratch;
  return scanInteger(fieldView(line, position, length, scratch));
}

}  // namespace qx
