// Fuzz target of the fixed-column reading: the line reader over arbitrary
// bytes with several buffer sizes, every extractor on every line, the preview
// and the usage line. Checks the reader's invariants and compares the number
// and integer extractors with the C library's conversions wherever both read
// a plain decimal number.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "io/columns.h"
#include "io/line_reader.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "columns_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

bool isCBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strtod in the C locale (the fuzzer never changes the process locale) as the
// oracle, for fields whose number is plain decimal text.
void compareNumber(const std::string& field) {
  const double mine = qx::scanNumber(field);
  check(std::isfinite(mine), "number is finite");
  const char* begin = field.c_str();
  char* end = nullptr;
  errno = 0;
  const double theirs = std::strtod(begin, &end);
  const bool range = errno == ERANGE;
  const char* p = begin;
  while (*p != '\0' && isCBlank(*p)) ++p;
  bool plain = end > p;
  for (const char* q = p; q < end; ++q)
    if (std::strchr("0123456789.eE+-", *q) == nullptr) plain = false;
  if (plain && !range) check(mine == theirs, "number equals strtod");
  if (end == begin) check(mine == 0.0, "no number reads 0");

  const std::int32_t mineInt = qx::scanInteger(field);
  errno = 0;
  char* iend = nullptr;
  const long long theirsInt = std::strtoll(begin, &iend, 10);
  if (errno != ERANGE && theirsInt >= INT32_MIN && theirsInt <= INT32_MAX)
    check(mineInt == theirsInt, "integer equals strtoll");
  else
    check(mineInt == 0, "integer out of range reads 0");
}

std::uint32_t take(const std::uint8_t*& data, std::size_t& size) {
  if (size == 0) return 0;
  const std::uint32_t v = *data++;
  --size;
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first bytes choose a buffer size and the fields; the rest is the file.
  static constexpr std::size_t kSizes[] = {qx::LineReader::kBufferSize, 1, 2, 8, 25, 100};
  const std::size_t bufferSize = kSizes[take(data, size) % std::size(kSizes)];
  const int position = static_cast<int>(take(data, size)) * 3 - 10;  // -10 .. 755
  const int length = static_cast<int>(take(data, size)) % 64 - 2;    // -2 .. 61
  const std::string_view file(reinterpret_cast<const char*>(data), size);

  std::size_t lineFeeds = 0;
  for (char c : file) lineFeeds += c == '\n';

  qx::MemorySource source(file);
  qx::LineReader reader(source, bufferSize);
  std::size_t lines = 0;
  std::size_t consumedAtLeast = 0;
  while (reader.readLine()) {
    ++lines;
    const std::string_view line = reader.line();
    check(line.size() == bufferSize - 1, "line has N - 1 characters");
    check(reader.c_str()[bufferSize - 1] == '\0', "line is terminated");
    check(reader.readLength() <= line.size(), "read length within the buffer");
    check(line.find('\n') == std::string_view::npos, "no line feed inside a line");
    for (std::size_t i = reader.readLength(); i < line.size(); ++i) check(line[i] == ' ', "padding is blank");
    consumedAtLeast += reader.readLength();
    check(lines <= lineFeeds + 1, "no more lines than line feeds plus one");

    check(qx::characterAt(line, position) == (position >= 1 && static_cast<std::size_t>(position) <= line.size()
                                                  ? line[static_cast<std::size_t>(position) - 1]
                                                  : ' '),
          "character at column");
    const std::string text = qx::textAt(line, position, length);
    check(text.size() <= static_cast<std::size_t>(length < 0 ? 0 : length), "text no longer than its field");
    check(text.find('\0') == std::string::npos, "text holds no NUL");
    compareNumber(text);
    check(qx::numberAt(line, position, length) == qx::scanNumber(text), "numberAt reads the field's text");
    check(qx::integerAt(line, position, length) == qx::scanInteger(text), "integerAt reads the field's text");
    check(std::isfinite(qx::numberAt(line, position, 600)), "wide field is finite");
    (void)qx::integerAt(line, position, 600);
  }
  check(lines == (file.empty() ? 0 : lineFeeds + (file.back() == '\n' ? 0 : 1)), "one line per record");
  check(consumedAtLeast <= file.size(), "never more characters than the file");
  check(!reader.readLine() && reader.line().find_first_not_of(' ') == std::string_view::npos, "end stays at the end");

  // The preview: always 10 lines of at most 510 characters.
  qx::MemorySource again(file);
  const auto preview = qx::readPreviewLines(again);
  check(preview.size() == qx::kPreviewLineCount, "ten preview lines");
  for (const auto& l : preview) check(l.size() <= qx::kPreviewMaxLine && l.find('\n') == std::string::npos, "line");
  const std::string text = qx::previewText(preview);
  check(text.size() >= 2 * qx::kPreviewMinWidth + 24 && text.ends_with("\r\n"), "preview text");

  // The usage line from fields made of the file's bytes.
  qx::ColumnDescription d;
  for (std::size_t i = 0; i + 3 < file.size() && i < 64; i += 4) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(file[i + k]); };
    d.add("f", static_cast<std::int32_t>(b(0) * 8 + b(1) % 8) - 4, static_cast<std::int32_t>(b(2) * 4 + b(3) % 4) - 2);
  }
  const std::string usage = qx::usageLine(d);
  check(usage.size() == 200 && usage.back() == '-', "usage line of 200 with the last column free");
  check(usage.find_first_not_of("-*?") == std::string::npos, "usage marks");
  return 0;
}
