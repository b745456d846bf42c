#pragma once
// The reader of composite files: fixed-column text, one composite per line.
// It parses into plain records; the load flow builds the composites from them.
//
// A delimited file (layout.delimited) is read by the delimited reader instead:
// the columns come from layout.columns, blank lines are passed over and bad
// lines are counted (delimited()->report()), not read.
//
// In a fixed-column file every line is a record: blank lines and header lines included, a line is
// read into 511 characters (longer lines are cut, the rest of them skipped;
// shorter ones padded with blanks). The name field is taken as it stands,
// blanks included; a numeric field that does not hold a number reads 0.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "io/delimited.h"
#include "io/line_reader.h"

namespace qx {

// One field of the file: 1-based first column and width in characters.
struct CompositeColumn {
  std::int32_t position = 0;
  std::int32_t width = 0;
  friend bool operator==(const CompositeColumn&, const CompositeColumn&) = default;
};

struct CompositeLayout {
  CompositeColumn name;
  CompositeColumn x;
  CompositeColumn y;
  CompositeColumn z;
  bool readZ = true;                       // false in a 2D project: z is 0 and its column is never read
  std::vector<CompositeColumn> variables;  // one per loaded variable, in list order
  // A delimited file: its format, and the columns of the name, x, y, z and
  // the variables in that order (the fixed columns above are then unused).
  std::optional<DelimitedFormat> delimited = {};
  std::vector<DelimitedColumn> columns = {};
};

struct CompositeRecord {
  std::string name;
  DPoint3D position;
  std::vector<double> values;  // one per layout variable
};

// Parses one line (as the line reader gives it) into `out`, reusing its storage.
void parseCompositeLine(std::string_view line, const CompositeLayout& layout, CompositeRecord& out);

// Reads the records of a file one by one.
class CompositeFileReader {
 public:
  CompositeFileReader(ByteSource& source, CompositeLayout layout);
  // The next record; false at the end of the file.
  bool next(CompositeRecord& out);
  // The line of the file the last record came from (1-based).
  std::size_t count() const { return lines().lineCount(); }
  // Bytes of the file read so far and still to come (when the source can tell).
  std::uint64_t bytesRead() const { return lines().bytesConsumed(); }
  std::optional<std::uint64_t> bytesLeft() const { return lines().bytesRemaining(); }
  const CompositeLayout& layout() const { return layout_; }
  // The lines under the records (NUL bytes, read errors).
  const LineReader& lines() const { return delimited_ ? delimited_->lines() : *reader_; }
  // The delimited reader, for a delimited file; else null.
  const DelimitedReader* delimited() const { return delimited_ ? &*delimited_ : nullptr; }

 private:
  CompositeLayout layout_;
  std::optional<LineReader> reader_;
  std::optional<DelimitedReader> delimited_;
};

// Every record of a source (the fuzz target and small tests).
std::vector<CompositeRecord> readCompositeRecords(ByteSource& source, const CompositeLayout& layout);

}  // namespace qx
