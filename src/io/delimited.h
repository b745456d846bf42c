#pragma once
// Delimited text files: fields separated by a comma, a semicolon, a tab or
// white space, with an optional header row naming the columns.
//
// One record per line. A field may be quoted with '"'; a quoted field holds
// the separator and line-ending-free text, and "" inside it is one quote. A
// quote left open at the end of its line makes the line bad (records never
// run over several lines, so line numbers stay those of the file). A
// carriage return before the line feed and a UTF-8 byte-order mark at the
// start of the file are dropped; blank lines are passed over. Numbers are
// read with std::from_chars, whatever locale the process runs in: a decimal
// point, never a decimal comma.
//
// The reader yields the lines whose wanted columns could all be read; any
// other line (a quote left open, too few columns, a field that is not a
// number) is counted and the first few are noted with their line numbers.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/line_reader.h"

namespace qx {

enum class Separator { Comma, Semicolon, Tab, Whitespace };

struct DelimitedFormat {
  Separator separator = Separator::Comma;
  bool header = false;  // the first line that is not blank names the columns
  friend bool operator==(const DelimitedFormat&, const DelimitedFormat&) = default;
};

// ",", ";", "tab", "whitespace".
std::string_view separatorName(Separator separator);
std::optional<Separator> separatorFromName(std::string_view name);

// Splits one line (without its line feed) into `fields`. Unquoted fields lose
// the blanks and tabs around them; with white space as separator, runs of
// blanks and tabs separate and those at either end are ignored. False when a
// quote is left open or text follows a closing quote.
bool splitDelimited(std::string_view line, Separator separator, std::vector<std::string>& fields);

// A whole field as a decimal number: [sign] digits [. digits] [e|E [sign]
// digits], blanks around it allowed; an empty field reads 0 (as a blank
// fixed column does). Nothing for any other text, a number that is not
// finite or one beyond the range of a double.
std::optional<double> parseDelimitedNumber(std::string_view field);

// Two column names alike but for the case of ASCII letters.
bool sameName(std::string_view a, std::string_view b);

// A column the reader takes: by header name (compared without regard to
// case) or by 1-based number; neither means the column is not in the file.
struct DelimitedColumn {
  std::string label;   // the field it fills, for messages ("X Coordinate")
  std::string header;  // used when not empty
  int number = 0;
  bool numeric = true;
};

// What went wrong while reading: nothing at all could be read (`fatal`), or
// some lines were passed over.
struct DelimitedReport {
  static constexpr std::size_t kNotedLines = 5;
  std::string fatal;
  long badLines = 0;
  std::vector<std::string> firstBad;  // "line 4: ..." for the first kNotedLines
};

// "Nothing was loaded from <path>:\n<fatal>".
std::string delimitedFatalMessage(const std::string& path, const DelimitedReport& report);
// "<n> line(s) of <path> could not be read:\nline 4: ...\n..." (the noted lines).
std::string delimitedBadLinesMessage(const std::string& path, const DelimitedReport& report);

class DelimitedReader {
 public:
  // The longest line read; a longer one is a bad line.
  static constexpr std::size_t kMaxLine = 64 * 1024 - 2;

  DelimitedReader(ByteSource& source, DelimitedFormat format, std::vector<DelimitedColumn> columns);

  // The next line whose wanted columns could all be read; false at the end of
  // the data, at a NUL byte or when a named column is not in the header
  // (see report()). After false, report().fatal says why nothing was read
  // when no line was.
  bool next();
  // The wanted column `i` of the current line: its text ("" when the column is
  // not in the file) and, for numeric columns, its number (0 when not in the file).
  const std::string& text(std::size_t i) const { return texts_[i]; }
  double number(std::size_t i) const { return numbers_[i]; }
  // The current line's number in the file (1-based).
  long line() const { return static_cast<long>(lines_.lineCount()); }
  // Lines yielded so far.
  long records() const { return records_; }
  const DelimitedReport& report() const { return report_; }
  const LineReader& lines() const { return lines_; }

 private:
  bool readHeader(std::string_view text);
  void bad(std::string what);
  void finish();

  LineReader lines_;
  DelimitedFormat format_;
  std::vector<DelimitedColumn> columns_;
  std::vector<int> index_;  // 0-based column of each wanted one; -1: not in the file
  std::vector<std::string> fields_;
  std::vector<std::string> texts_;
  std::vector<double> numbers_;
  bool headerSeen_ = false;
  bool done_ = false;
  long records_ = 0;
  DelimitedReport report_;
};

}  // namespace qx
