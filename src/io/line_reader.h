#pragma once
// The line reader and the field extractors that every fixed-column loader
// shares (composites, envelopes, figures, surfaces).
//
// A line is read into a buffer of N characters (N = 512 for every loader):
// the characters up to a line feed or the end of the file, at most N - 1 of
// them. A longer line is cut after N - 1 characters and the rest of it, up to
// the next line feed, is skipped. The line feed itself is not kept; a carriage
// return before it is. The line is then padded with blanks to exactly N - 1
// characters, so every column of a record can be addressed without a length
// check.
//
// The extractors read one field (1-based column, length) of such a line. Numbers
// are read as "%lf" and "%d" read them in the C locale, whatever locale the
// process runs in: leading white space is skipped, then the longest decimal
// number is taken; a field holding no number reads as 0. Columns outside the
// line read as blanks.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx {

// Where the line reader takes its bytes from: a file or a block of memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to out.size() bytes into `out`; returns how many. 0 means the
  // end of the data or a read error (see failed()).
  virtual std::size_t read(std::span<char> out) = 0;
  // True once a read error occurred.
  virtual bool failed() const { return false; }
  // How many bytes are still to come, when the source can tell; only a hint
  // for reserving storage (a file may change while it is read).
  virtual std::optional<std::uint64_t> remaining() const { return std::nullopt; }
};

class MemorySource : public ByteSource {
 public:
  // The bytes must outlive the source.
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::size_t read(std::span<char> out) override;
  std::optional<std::uint64_t> remaining() const override { return bytes_.size() - pos_; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// Reads an open file; the caller keeps ownership and closes it.
class FileSource : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  std::size_t read(std::span<char> out) override;
  bool failed() const override { return failed_; }
  // From the current position to the end of a seekable file.
  std::optional<std::uint64_t> remaining() const override;

 private:
  std::FILE* file_;
  bool failed_ = false;
};

class LineReader {
 public:
  // The buffer of every loader: a record has at most 511 characters.
  static constexpr std::size_t kBufferSize = 512;

  // `bufferSize` is N above; values below 1 are taken as 1 (lines of 0 characters).
  explicit LineReader(ByteSource& source, std::size_t bufferSize = kBufferSize);

  // Reads the next line. False when the end of the data came before any
  // character of the line, or on a read error; the line is then all blanks.
  bool readLine();

  // The line as read: exactly N - 1 characters, blank-padded.
  std::string_view line() const { return {line_.data(), line_.size() - 1}; }
  // The same, terminated by a NUL.
  const char* c_str() const { return line_.data(); }
  // How many characters of the line the file held (before padding, after
  // cutting; the line feed not counted).
  std::size_t readLength() const { return readLength_; }
  // The line was longer than N - 1 characters and was cut.
  bool wasCut() const { return cut_; }
  // Lines returned so far.
  std::size_t lineCount() const { return lineCount_; }
  // Bytes taken from the source for those lines, line feeds included.
  std::uint64_t bytesConsumed() const { return consumed_; }
  // Bytes still to come (see ByteSource::remaining).
  std::optional<std::uint64_t> bytesRemaining() const;
  // The first line (1-based) that held a NUL byte, in the part kept or the
  // part skipped; 0 while none did.
  std::size_t nulLine() const { return nulLine_; }
  // The source failed to give its bytes.
  bool failed() const { return source_.failed(); }

 private:
  // Refills the chunk when it is used up; false at the end of the data or on an error.
  bool fill();

  // Bytes asked of the source at a time.
  static constexpr std::size_t kChunkSize = 64 * 1024;

  ByteSource& source_;
  std::vector<char> line_;  // N characters: N - 1 of the line and the terminator
  std::size_t dirty_ = 0;   // line_ holds blanks from here on (up to the terminator)
  std::vector<char> chunk_;
  std::size_t chunkPos_ = 0;
  std::size_t chunkEnd_ = 0;
  bool atEnd_ = false;
  std::size_t readLength_ = 0;
  bool cut_ = false;
  std::size_t lineCount_ = 0;
  std::uint64_t consumed_ = 0;
  std::size_t nulLine_ = 0;
};

// Why an import read nothing of a file: it is not text (a line holds a NUL
// byte), or no line could be read (an empty file, or a read error).
struct TextFault {
  enum class Kind { None, NulByte, Unreadable };
  Kind kind = Kind::None;
  std::size_t line = 0;  // the first bad line, 1-based
  explicit operator bool() const { return kind != Kind::None; }
};
// The fault of a reader that has read what it wanted of a file: a NUL byte
// seen, a read error, or no line at all.
TextFault textFault(const LineReader& reader);
// "Nothing was loaded from <path>:\nline <n> holds a NUL byte: this is not a text file."
std::string textFaultMessage(const std::string& path, const TextFault& fault);

// The buffer that numeric fields go through: 23 characters and a terminator.
inline constexpr int kNumberBufferSize = 24;

// The character in column `position` (1-based); a blank outside the line.
char characterAt(std::string_view line, int position);

// The `length` characters from column `position`, columns outside the line
// read as blanks; a NUL ends the text early, as in a C string. Nothing for a
// length of 0 or less.
std::string textAt(std::string_view line, int position, int length);

// The field read as "%lf" reads it in the C locale: white space skipped, then
// [sign] digits [. digits] [e|E [sign] digits] with at least one digit before
// the exponent; what follows is ignored ("  12.5abc" reads 12.5, "3e" reads 3).
// 0.0 when nothing can be read, for "inf", "nan" and hexadecimal text (no
// decimal number), and for a number beyond the range of a double. The result
// is always finite.
//
// A field of up to 23 characters is read as through the 24-character buffer.
// A longer field is read whole, so a wide right-aligned column (as the exports
// write them) reads the number at its right end instead of a cut prefix.
double numberAt(std::string_view line, int position, int length);

// The field read as "%d" reads it: white space skipped, [sign] digits; 0 when
// nothing can be read or the value lies outside the range of int32. The same
// rule for long fields as numberAt.
std::int32_t integerAt(std::string_view line, int position, int length);

// The parsers behind numberAt and integerAt, for a text of any length.
double scanNumber(std::string_view text);
std::int32_t scanInteger(std::string_view text);

}  // namespace qx
