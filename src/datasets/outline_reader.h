#pragma once
// The outline text format ("dig" files) that envelopes and figures are read
// from and written to. One record per line; column 1 holds the record type:
// "1" a header line, which starts a contour and may carry a name, "2" a point
// line with X, Y and Z; any other line is skipped. Contours are closed
// implicitly. Lines are read through the 512-character line buffer, so a
// longer line is cut at 511 characters and blank-padded.
//
// The reader only parses into plain records; the datasets decide which item
// each contour belongs to and apply their rotation.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/limits.h"
#include "common/types.h"
#include "io/delimited.h"
#include "io/line_reader.h"

namespace qx {

class ByteSource;

// Where the fields stand: 1-based first column and width in characters. A
// name width of 0 means the file carries no names; a Z width of 0 (a 2D
// project) reads Z as 0.
struct OutlineLayout {
  int namePosition = 1;
  int nameWidth = 0;
  int xPosition = 2;
  int xWidth = 10;
  int yPosition = 12;
  int yWidth = 10;
  int zPosition = 22;
  int zWidth = 10;
  // A delimited file: its format and the columns of the name, X, Y and Z
  // (the fixed columns above are then unused; see readDelimitedOutline).
  std::optional<DelimitedFormat> delimited = {};
  std::vector<DelimitedColumn> columns = {};
  // Whether the file carries names.
  bool hasNames() const;
};

// One header line and the point lines that follow it up to the next header
// line or the end of the file. `points` may be empty (two header lines in a
// row).
struct OutlineContourRecord {
  std::string name;  // the name field, blanks trimmed at both ends; empty without names
  std::vector<DPoint3D> points;
};

struct OutlineFileRecords {
  std::vector<OutlineContourRecord> contours;  // one per header line, in file order
  std::size_t skippedPoints = 0;               // point lines before the first header line
  NumberFault fault;                           // the first point beyond the limits, if any
  TextFault text;                              // a NUL byte or no line: nothing else is kept
  DelimitedReport delimited;                   // a delimited file: bad lines, or why nothing was read
};

// The message of an outline or figure file that holds an unusable number.
std::string numberFaultMessage(const std::string& path, const NumberFault& fault);
// A point's first coordinate beyond the limits as "X = 1e+308"; empty when
// the point is usable.
std::string unusableCoordinate(const DPoint3D& p);

// Reads the whole source. Fields that do not parse read 0; in a delimited
// file they make the line bad, and a file of which no line could be read
// keeps nothing (delimited.fatal says why).
OutlineFileRecords parseOutline(ByteSource& source, const OutlineLayout& layout);

// A delimited outline file holds one point per line: columns 0 to 3 are the
// name, X, Y and Z, any further ones numbers that belong to the contour (its
// first line's are taken). A contour starts at the first line, at a line
// whose name differs from the line before, and after a line that repeats its
// contour's first point once the contour has three points (that closing
// point is not kept: contours close implicitly). `contour` is called at each
// start with the reader on its first line, `point` for each point kept.
// Returns the reader's report; `text` gets a NUL byte or a read error.
DelimitedReport readDelimitedOutline(ByteSource& source, const DelimitedFormat& format,
                                     std::vector<DelimitedColumn> columns,
                                     const std::function<void(const DelimitedReader&)>& contour,
                                     const std::function<void(const DPoint3D&, long line)>& point, TextFault& text);

// The non-blank header names in order of first appearance, each once.
std::vector<std::string> distinctOutlineNames(const OutlineFileRecords& records);

// Blanks (spaces, tabs, line ends) trimmed at both ends.
std::string trimBlanks(std::string_view text);

// The lines the export writes. A header line: "1 %04u   %-s\n" with the
// 0-based contour number within its item and the item's name (so the name
// starts in column 10).
std::string outlineHeaderLine(unsigned contourNumber, std::string_view name);

// One coordinate field of a point line: 1-based position, width, decimals.
struct OutlineOutputField {
  int position = 0;
  int width = 0;
  int decimals = 0;
};

// A point line: a buffer of 254 blanks; each value formatted "%*.*lf" with the
// field's width and decimals and its first `width` characters copied in at the
// field's position (what falls beyond the buffer is dropped); the line ends
// after the highest column written; its first character is then set to "2".
// Fields of width 0 or position 0 are not written. Ends with "\n".
std::string outlinePointLine(const std::vector<std::pair<OutlineOutputField, double>>& values);
inline constexpr std::size_t kOutlinePointBuffer = 254;

}  // namespace qx
