#include "io/delimited.h"

#include <charconv>
#include <cmath>

namespace qx {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::string_view separatorName(Separator separator) {
  switch (separator) {
    case Separator::Comma: return ",";
    case Separator::Semicolon: return ";";
    case Separator::Tab: return "tab";
    case Separator::Whitespace: return "whitespace";
  }
  return ",";
}

std::optional<Separator> separatorFromName(std::string_view name) {
  for (Separator s : {Separator::Comma, Separator::Semicolon, Separator::Tab, Separator::Whitespace})
    if (separatorName(s) == name) return s;
  return std::nullopt;
}

bool splitDelimited(std::string_view line, Separator separator, std::vector<std::string>& fields) {
  fields.clear();
  const bool white = separator == Separator::Whitespace;
  const char sep = separator == Separator::Comma ? ',' : separator == Separator::Semicolon ? ';' : '\t';
  const auto isSep = [&](char c) { return white ? isBlank(c) : c == sep; };
  std::size_t i = 0;
  const std::size_t n = line.size();
  if (white) {
    while (i < n && isBlank(line[i])) ++i;
    if (i == n) return true;
  }
  for (;;) {
    // One field from i: leading blanks (not the separator itself) skipped.
    while (i < n && isBlank(line[i]) && !isSep(line[i])) ++i;
    std::string field;
    if (i < n && line[i] == '"') {
      bool closed = false;
      for (++i; i < n; ++i) {
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < n && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          closed = true;
          ++i;
          break;
        }
      }
      if (!closed) return false;
      if (!white)
        while (i < n && isBlank(line[i]) && !isSep(line[i])) ++i;
      if (i < n && !isSep(line[i])) return false;
      if (white)
        while (i < n && isBlank(line[i])) ++i;
    } else {
      const std::size_t start = i;
      while (i < n && !isSep(line[i])) ++i;
      field = std::string(trim(line.substr(start, i - start)));
      if (white)
        while (i < n && isBlank(line[i])) ++i;
    }
    fields.push_back(std::move(field));
    if (i >= n) return true;
    if (!white) ++i;  // past the separator; a separator at the end leaves one empty field
    if (!white && i == n) {
      fields.emplace_back();
      return true;
    }
  }
}

std::optional<double> parseDelimitedNumber(std::string_view field) {
  std::string_view s = trim(field);
  if (s.empty()) return 0.0;
  // from_chars takes no '+', and would take a second sign after it.
  if (s.front() == '+') {
    s.remove_prefix(1);
    if (s.empty() || s.front() == '-') return std::nullopt;
  }
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (ec != std::errc{} || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string delimitedFatalMessage(const std::string& path, const DelimitedReport& report) {
  return "Nothing was loaded from " + path + ":\n" + report.fatal;
}

std::string delimitedBadLinesMessage(const std::string& path, const DelimitedReport& report) {
  std::string m = std::to_string(report.badLines) + (report.badLines == 1 ? " line" : " lines") + " of " + path +
                  " could not be read:";
  for (const auto& b : report.firstBad) m += "\n" + b;
  return m;
}

DelimitedReader::DelimitedReader(ByteSource& source, DelimitedFormat format, std::vector<DelimitedColumn> columns)
    : lines_(source, kMaxLine + 2), format_(format), columns_(std::move(columns)) {
  index_.assign(columns_.size(), -1);
  for (std::size_t k = 0; k < columns_.size(); ++k)
    if (columns_[k].header.empty() && columns_[k].number > 0) index_[k] = columns_[k].number - 1;
  texts_.resize(columns_.size());
  numbers_.resize(columns_.size());
  for (const auto& c : columns_)
    if (!format_.header && !c.header.empty() && report_.fatal.empty())
      report_.fatal = c.label + " is chosen by the column name " + quoted(c.header) + " but the file has no header";
  done_ = !report_.fatal.empty();
}

void DelimitedReader::bad(std::string what) {
  if (report_.badLines++ < static_cast<long>(DelimitedReport::kNotedLines))
    report_.firstBad.push_back("line " + std::to_string(line()) + ": " + std::move(what));
}

bool DelimitedReader::readHeader(std::string_view text) {
  headerSeen_ = true;
  if (!splitDelimited(text, format_.separator, fields_)) {
    report_.fatal = "line " + std::to_string(line()) + ": the header line has a quote that is not closed";
    return false;
  }
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    if (columns_[k].header.empty()) continue;
    for (std::size_t c = 0; c < fields_.size() && index_[k] < 0; ++c)
      if (sameName(fields_[c], columns_[k].header)) index_[k] = static_cast<int>(c);
    if (index_[k] >= 0) continue;
    std::string names;
    for (const auto& f : fields_) names += (names.empty() ? "" : ", ") + quoted(f);
    report_.fatal = "the header has no column " + quoted(columns_[k].header) + " for " + columns_[k].label +
                    " (columns: " + names + ")";
    return false;
  }
  return true;
}

void DelimitedReader::finish() {
  done_ = true;
  if (records_ > 0 || !report_.fatal.empty() || lines_.nulLine() > 0) return;
  if (report_.badLines > 0)
    report_.fatal = "no line could be read";
  else if (headerSeen_)
    report_.fatal = "the file holds a header and no data line";
  else
    report_.fatal = "the file holds no data line";
}

bool DelimitedReader::next() {
  if (done_) return false;
  for (;;) {
    if (!lines_.readLine() || lines_.nulLine() > 0) {
      finish();
      return false;
    }
    std::string_view text = lines_.line().substr(0, lines_.readLength());
    if (lines_.lineCount() == 1 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (trim(text).empty()) continue;
    if (format_.header && !headerSeen_) {
      if (!readHeader(text)) {
        finish();
        return false;
      }
      continue;
    }
    if (lines_.wasCut()) {
      bad("longer than " + std::to_string(kMaxLine) + " characters");
      continue;
    }
    if (!splitDelimited(text, format_.separator, fields_)) {
      bad("a quote is not closed, or text follows its closing quote");
      continue;
    }
    bool ok = true;
    for (std::size_t k = 0; k < columns_.size() && ok; ++k) {
      const int c = index_[k];
      if (c < 0) {
        texts_[k].clear();
        numbers_[k] = 0.0;
        continue;
      }
      if (static_cast<std::size_t>(c) >= fields_.size()) {
        bad("no column " + std::to_string(c + 1) + " for " + columns_[k].label + " (the line has " +
            std::to_string(fields_.size()) + ")");
        ok = false;
        break;
      }
      texts_[k] = fields_[static_cast<std::size_t>(c)];
      if (!columns_[k].numeric) continue;
      const std::optional<double> v = parseDelimitedNumber(texts_[k]);
      if (!v) {
        bad(columns_[k].label + " " + quoted(texts_[k]) + " is not a number");
        ok = false;
      } else {
        numbers_[k] = *v;
      }
    }
    if (!ok) continue;
    ++records_;
    return true;
  }
}

}  // namespace qx
