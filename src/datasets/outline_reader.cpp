#include "datasets/outline_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "io/line_reader.h"
#include "variables/variable_rules.h"

namespace qx {

namespace {
// "%*.*f" in the C locale, whatever the process locale says.
std::string formatFixed(double value, int width, int decimals) {
  std::array<char, 400> digits{};
  const auto r = std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed,
                               std::clamp(decimals, 0, 40));
  std::string text(digits.data(), r.ec == std::errc() ? r.ptr : digits.data());
  if (text.size() < static_cast<std::size_t>(width)) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}
}  // namespace

std::string trimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

std::string unusableCoordinate(const DPoint3D& p) {
  const std::pair<const char*, double> coordinates[] = {{"X", p.x}, {"Y", p.y}, {"Z", p.z}};
  for (const auto& [name, v] : coordinates)
    if (!coordinateInRange(v)) return std::string(name) + " = " + formatGeneral(v);
  return {};
}

std::string numberFaultMessage(const std::string& path, const NumberFault& fault) {
  return "Nothing was loaded from " + path + ":\nline " + std::to_string(fault.line) + " holds " + fault.what +
         ", a coordinate beyond " + formatGeneral(kMaxCoordinate) + ", a value beyond " + formatGeneral(kMaxValue) +
         " or a number that is not finite.";
}

bool OutlineLayout::hasNames() const {
  if (!delimited) return nameWidth > 0;
  return !columns.empty() && (!columns[0].header.empty() || columns[0].number > 0);
}

DelimitedReport readDelimitedOutline(ByteSource& source, const DelimitedFormat& format,
                                     std::vector<DelimitedColumn> columns,
                                     const std::function<void(const DelimitedReader&)>& contour,
                                     const std::function<void(const DPoint3D&, long line)>& point, TextFault& text) {
  if (columns.size() < 4) columns.resize(4);
  columns[0].numeric = false;
  DelimitedReader reader(source, format, std::move(columns));
  std::string name;
  DPoint3D first;
  std::size_t points = 0;  // of the current contour; 0 before the first line and after a closed ring
  while (reader.next()) {
    const DPoint3D p{reader.number(1), reader.number(2), reader.number(3)};
    if (points == 0 || reader.text(0) != name) {
      name = reader.text(0);
      first = p;
      points = 0;
      contour(reader);
    } else if (points >= 3 && p == first) {
      points = 0;  // the ring is closed: the next line starts a contour
      continue;
    }
    ++points;
    point(p, reader.line());
  }
  text = textFault(reader.lines());
  return reader.report();
}

OutlineFileRecords parseOutline(ByteSource& source, const OutlineLayout& layout) {
  OutlineFileRecords out;
  if (layout.delimited) {
    out.delimited = readDelimitedOutline(
        source, *layout.delimited, layout.columns,
        [&](const DelimitedReader& r) {
          out.contours.push_back({trimBlanks(r.text(0)), {}});
        },
        [&](const DPoint3D& p, long line) {
          if (std::string what = unusableCoordinate(p); !what.empty()) out.fault.note(line, std::move(what));
          out.contours.back().points.push_back(p);
        },
        out.text);
    if (out.text || !out.delimited.fatal.empty()) {
      const OutlineFileRecords kept{{}, 0, {}, out.text, out.delimited};
      out = kept;
    }
    return out;
  }
  LineReader reader(source);
  while (reader.readLine()) {
    if (reader.nulLine() > 0) break;  // not a text file: read no further
    const std::string_view line = reader.line();
    const char type = characterAt(line, 1);
    if (type == '1') {
      OutlineContourRecord rec;
      if (layout.nameWidth > 0) rec.name = trimBlanks(textAt(line, layout.namePosition, layout.nameWidth));
      out.contours.push_back(std::move(rec));
    } else if (type == '2') {
      if (out.contours.empty()) {
        ++out.skippedPoints;
        continue;
      }
      DPoint3D p;
      p.x = numberAt(line, layout.xPosition, layout.xWidth);
      p.y = numberAt(line, layout.yPosition, layout.yWidth);
      p.z = layout.zWidth > 0 ? numberAt(line, layout.zPosition, layout.zWidth) : 0.0;
      if (std::string what = unusableCoordinate(p); !what.empty())
        out.fault.note(static_cast<long>(reader.lineCount()), std::move(what));
      out.contours.back().points.push_back(p);
    }
  }
  out.text = textFault(reader);
  if (const TextFault text = out.text) {
    out = OutlineFileRecords{};
    out.text = text;
  }
  return out;
}

std::vector<std::string> distinctOutlineNames(const OutlineFileRecords& records) {
  std::vector<std::string> names;
  for (const auto& c : records.contours)
    if (!c.name.empty() && std::find(names.begin(), names.end(), c.name) == names.end()) names.push_back(c.name);
  return names;
}

std::string outlineHeaderLine(unsigned contourNumber, std::string_view name) {
  char number[16];
  std::snprintf(number, sizeof number, "%04u", contourNumber);
  std::string line = "1 ";
  line += number;
  line += "   ";
  line += name;
  line += '\n';
  return line;
}

std::string outlinePointLine(const std::vector<std::pair<OutlineOutputField, double>>& values) {
  std::string buffer(kOutlinePointBuffer, ' ');
  std::size_t end = 0;
  for (const auto& [field, value] : values) {
    if (field.width <= 0 || field.position <= 0) continue;
    const std::string text = formatFixed(value, field.width, field.decimals);
    const std::size_t n = text.size();
    const std::size_t start = static_cast<std::size_t>(field.position - 1);
    for (std::size_t k = 0; k < static_cast<std::size_t>(field.width) && k < n; ++k) {
      if (start + k >= kOutlinePointBuffer) break;
      buffer[start + k] = text[k];
      end = std::max(end, start + k + 1);
    }
  }
  buffer.resize(std::max<std::size_t>(end, 1));
  buffer[0] = '2';
  buffer += '\n';
  return buffer;
}

}  // namespace qx
