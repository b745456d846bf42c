#pragma once
// The column description of a fixed-column text file, and the texts the two
// "File Format" pages show: the input preview with its rulers, and the output
// ruler with its usage line.
//
// Each field occupies a range of character columns: a 1-based start position
// and a length (0 in either means the field is not in the file), and on output
// the digits written after the decimal point. The dataset that reads or writes
// the file names the fields and fills the description before the pages show it;
// the pages edit it in place.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/archive.h"
#include "io/delimited.h"

namespace qx {

class ByteSource;

struct ColumnField {
  std::string name;
  std::int32_t position = 0;  // 1-based first column; 0: not in the file
  std::int32_t length = 0;    // characters; 0: not in the file
  std::int32_t decimals = 0;  // digits after the decimal point when written
  // A delimited file: the column named `header` in its header line, else
  // column number `position`; neither: not in the file. `length` is unused.
  std::string header = {};
  friend bool operator==(const ColumnField&, const ColumnField&) = default;
};

// A stored list of columns: an int32 count, then per column its name,
// position, length and decimals (the order figure and polygon sets use).
void serializeColumnFields(Archive& ar, std::vector<ColumnField>& fields);

struct ColumnDescription {
  std::vector<ColumnField> fields;  // in the order the chooser shows them
  bool rotate = false;              // "Rotate The Input Data" / "Rotate The Output Data"
  // Set when the input file is delimited rather than in fixed columns.
  std::optional<DelimitedFormat> delimited = {};
  friend bool operator==(const ColumnDescription&, const ColumnDescription&) = default;

  void add(std::string name, std::int32_t position, std::int32_t length, std::int32_t decimals = 0) {
    fields.push_back({std::move(name), position, length, decimals});
  }
  // The index of the field named `name` (exact, case included); -1 when absent.
  int find(std::string_view name) const;
  // The field named `name`, or nullptr; how the datasets take the user's choices back.
  const ColumnField* field(std::string_view name) const;
};

// What an import remembers of its "File Format" page from one run to the
// next: whether the file was delimited, its format and each field's column.
struct DelimitedChoice {
  bool on = false;
  DelimitedFormat format;
  std::vector<ColumnField> fields;  // the delimited columns, found again by name
  friend bool operator==(const DelimitedChoice&, const DelimitedChoice&) = default;
};

// Fields that must be in an input file whenever the dataset offers them.
bool isRequiredField(std::string_view name);
// Fields written without decimals: names starting "Name", "IX (", "IY (",
// "IZ (", "Numb" or "Enve".
bool hasDecimals(std::string_view name);
// "<name> must have length > 0".
std::string requiredFieldMessage(std::string_view name);
// The first field, in order, that is required and not in the file (fixed
// columns: length 0; delimited: neither a column name nor a number); -1 when none.
int firstMissingRequired(const ColumnDescription& description);
// Why field `index` is missing: the message above, or for a delimited file
// "<name> must be given a column".
std::string missingFieldMessage(const ColumnDescription& description, int index);
// The columns a delimited reader takes for the named fields, in the order
// given; a name the description lacks is not in the file.
std::vector<DelimitedColumn> delimitedColumns(const ColumnDescription& description,
                                              const std::vector<std::string>& names);

// The rulers, in a fixed-pitch font: 100 columns for input, 200 for output.
inline constexpr std::string_view kInputTensRuler =
    "         1         2         3         4         5         6         7         8         9          ";
inline constexpr std::string_view kInputUnitsRuler =
    "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890";
inline constexpr std::string_view kOutputTensRuler =
    "         1         2         3         4         5         6         7         8         9         00"
    "        11        12        13        14        15        16        17        18        19         ";
inline constexpr std::string_view kOutputUnitsRuler =
    "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890"
    "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890";
inline constexpr int kOutputRulerColumns = 200;

// The usage line under the output ruler: 200 characters, "-" where no field
// writes, "*" where one field writes, "?" where fields overlap. Columns of a
// field before the first column count as the first column; the last column
// (200) and those beyond it are never marked.
std::string usageLine(const ColumnDescription& description);
// The output ruler box: tens ruler, "\r\n", units ruler, "\r\n", usage line.
std::string outputRulerText(const ColumnDescription& description);

// The input preview: the first lines of the file under a ruler.
inline constexpr std::size_t kPreviewLineCount = 10;
inline constexpr std::size_t kPreviewMinWidth = 50;
// The longest preview line: what the 512-character buffer holds without the line feed.
inline constexpr std::size_t kPreviewMaxLine = 510;

// The first 10 lines of the file, without their line feeds (and without a
// carriage return before a line feed); a line longer than 510 characters is
// cut there and the rest of it skipped; at the end of the file further lines
// are empty. Always 10 lines.
std::vector<std::string> readPreviewLines(ByteSource& source);
// The preview text. Its width w is the length of the first line, at least 50;
// it is the first w characters of the input tens ruler (at most its 100), "\r\n",
// the same of the units ruler, "\r\n", then 10 lines (missing ones empty, extra
// ones left out), each followed by "\r\n".
std::string previewText(const std::vector<std::string>& lines);

}  // namespace qx
