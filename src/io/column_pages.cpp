#include "io/column_pages.h"

#include <algorithm>

#include "port/ui_port.h"

namespace qx {

std::string integerRangeMessage(long long lower, long long upper) {
  return "Please enter an integer between " + std::to_string(lower) + " and " + std::to_string(upper) + ".";
}

// ColumnFormatPage

std::vector<std::string> ColumnFormatPage::fieldNames() const {
  std::vector<std::string> names;
  names.reserve(description_->fields.size());
  for (const ColumnField& f : description_->fields) names.push_back(f.name);
  return names;
}

void ColumnFormatPage::chooseField(int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < description_->fields.size()) current_ = index;
}

const ColumnField* ColumnFormatPage::chosenField() const {
  if (current_ < 0 || static_cast<std::size_t>(current_) >= description_->fields.size()) return nullptr;
  return &description_->fields[static_cast<std::size_t>(current_)];
}

std::int32_t ColumnFormatPage::position() const {
  const ColumnField* f = chosenField();
  return f != nullptr ? f->position : 0;
}

std::int32_t ColumnFormatPage::length() const {
  const ColumnField* f = chosenField();
  return f != nullptr ? f->length : 0;
}

bool ColumnFormatPage::select(UiPort& /*port*/, int start, int end) {
  ColumnField* f = chosen();
  if (f == nullptr || end <= start) return false;
  f->position = start + 1;
  f->length = end - start;
  chooserFocus_ = true;
  return true;
}

bool ColumnFormatPage::checkRange(UiPort& port, long long value, long long lower, long long upper) {
  if (value >= lower && value <= upper) return true;
  port.message(integerRangeMessage(lower, upper), MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

// CFileFormat

void CFileFormat::onSetActive() {
  current_ = 0;
  if (pageCount_ <= 1)
    wizardButtons_ = FormatPageButtons::kFinish;
  else if (isLastPage())
    wizardButtons_ = FormatPageButtons::kBack | FormatPageButtons::kFinish;
  else
    wizardButtons_ = FormatPageButtons::kNext;
}

bool CFileFormat::setValues(UiPort& port, long long position, long long length) {
  if (!checkRange(port, position, 0, kMaxPosition) || !checkRange(port, length, 0, kMaxLength)) return false;
  ColumnField* f = chosen();
  if (f == nullptr) return true;
  f->position = static_cast<std::int32_t>(position);
  f->length = static_cast<std::int32_t>(length);
  return true;
}

void CFileFormat::setPreviewLines(const std::vector<std::string>& lines) {
  preview_ = qx::previewText(lines);
  lines_ = lines;
  if (!lines_.empty() && lines_[0].starts_with("\xEF\xBB\xBF")) lines_[0].erase(0, 3);
}

std::string CFileFormat::previewText() const {
  if (!delimited()) return preview_;
  // The fields of each line, then each column as wide as its widest field.
  std::vector<std::optional<std::vector<std::string>>> rows;
  std::vector<std::size_t> widths;
  std::vector<std::string> fields;
  for (const std::string& line : lines_) {
    rows.emplace_back();
    if (!splitDelimited(line, description_->delimited->separator, fields)) continue;
    rows.back() = fields;
    widths.resize(std::max(widths.size(), fields.size()));
    for (std::size_t k = 0; k < fields.size(); ++k) widths[k] = std::max(widths[k], fields[k].size());
  }
  std::string out;
  for (const auto& row : rows) {
    if (!row) out += kUnsplitLine;
    for (std::size_t k = 0; row && k < row->size(); ++k) {
      out += (*row)[k];
      if (k + 1 < row->size()) out += std::string(widths[k] - (*row)[k].size(), ' ') + " | ";
    }
    out += "\r\n";
  }
  return out;
}

void CFileFormat::setDelimited(bool on) {
  if (on == delimited()) return;
  if (otherFields_.size() != description_->fields.size()) {
    otherFields_ = description_->fields;
    for (ColumnField& f : otherFields_) f.position = f.length = 0, f.header.clear();
  }
  std::swap(description_->fields, otherFields_);
  if (on) {
    description_->delimited = format_;
  } else {
    format_ = *description_->delimited;
    description_->delimited.reset();
  }
}

void CFileFormat::setSeparator(Separator separator) {
  (description_->delimited ? *description_->delimited : format_).separator = separator;
}

void CFileFormat::setHeader(bool on) { (description_->delimited ? *description_->delimited : format_).header = on; }

std::vector<std::string> CFileFormat::headerNames() const {
  std::vector<std::string> names;
  for (const std::string& line : lines_) {
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    if (!splitDelimited(line, format().separator, names)) names.clear();
    break;
  }
  return names;
}

std::vector<std::string> CFileFormat::columnChoices() const {
  std::vector<std::string> choices{std::string(kNoColumn)};
  if (format().header) {
    const std::vector<std::string> names = headerNames();
    choices.insert(choices.end(), names.begin(), names.end());
    return choices;
  }
  std::size_t count = 0;
  std::vector<std::string> fields;
  for (const std::string& line : lines_)
    if (splitDelimited(line, format().separator, fields)) count = std::max(count, fields.size());
  for (const ColumnField& f : description_->fields) count = std::max(count, static_cast<std::size_t>(f.position));
  for (std::size_t k = 1; k <= count; ++k) choices.push_back("Column " + std::to_string(k));
  return choices;
}

int CFileFormat::fieldColumn(int index) const {
  if (index < 0 || index >= static_cast<int>(description_->fields.size())) return 0;
  const ColumnField& f = description_->fields[static_cast<std::size_t>(index)];
  const int count = static_cast<int>(columnChoices().size()) - 1;
  if (!format().header || f.header.empty()) return f.position <= count ? std::max(f.position, 0) : 0;
  const std::vector<std::string> names = headerNames();
  for (std::size_t k = 0; k < names.size(); ++k)
    if (sameName(names[k], f.header)) return static_cast<int>(k) + 1;
  return 0;
}

void CFileFormat::setFieldColumn(int index, int choice) {
  const std::vector<std::string> choices = columnChoices();
  if (index < 0 || index >= static_cast<int>(description_->fields.size()) || choice < 0 ||
      choice >= static_cast<int>(choices.size()))
    return;
  ColumnField& f = description_->fields[static_cast<std::size_t>(index)];
  const bool named = format().header && choice > 0;
  f.header = named ? choices[static_cast<std::size_t>(choice)] : std::string();
  f.position = named ? 0 : choice;
}

void CFileFormat::recall(const DelimitedChoice& choice) {
  format_ = choice.format;
  otherFields_ = description_->fields;
  for (ColumnField& f : otherFields_) {
    const auto it = std::find_if(choice.fields.begin(), choice.fields.end(),
                                 [&](const ColumnField& c) { return c.name == f.name; });
    f.position = it != choice.fields.end() ? it->position : 0;
    f.header = it != choice.fields.end() ? it->header : std::string();
    f.length = 0;
  }
  if (choice.on) {
    std::swap(description_->fields, otherFields_);
    description_->delimited = format_;
  }
}

DelimitedChoice CFileFormat::choice() const {
  return {delimited(), format(), delimited() ? description_->fields : otherFields_};
}

bool CFileFormat::onOk(UiPort& port) {
  const int missing = firstMissingRequired(*description_);
  if (missing < 0) return true;
  port.message(missingFieldMessage(*description_, missing), MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

// CAsciiFormatPage

bool CAsciiFormatPage::decimalsEnabled() const {
  const ColumnField* f = chosenField();
  return f != nullptr && hasDecimals(f->name);
}

std::int32_t CAsciiFormatPage::decimals() const {
  const ColumnField* f = chosenField();
  return f != nullptr ? f->decimals : 0;
}

void CAsciiFormatPage::onSetActive() {
  wizardButtons_ = pageCount_ <= 1 ? FormatPageButtons::kFinish : FormatPageButtons::kBack | FormatPageButtons::kFinish;
}

bool CAsciiFormatPage::setValues(UiPort& port, long long position, long long length, long long decimals) {
  if (!checkRange(port, position, 0, kMaxPosition) || !checkRange(port, length, 0, kMaxLength) ||
      !checkRange(port, decimals, 0, kMaxDecimals))
    return false;
  if (tagColumn_ && position == 1) {
    port.message(kTagColumnMessage, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  ColumnField* f = chosen();
  if (f == nullptr) return true;
  f->position = static_cast<std::int32_t>(position);
  f->length = static_cast<std::int32_t>(length);
  if (decimalsEnabled()) f->decimals = static_cast<std::int32_t>(decimals);
  return true;
}

bool CAsciiFormatPage::select(UiPort& port, int start, int end) {
  if (tagColumn_ && end > start && start == 0 && chosen() != nullptr) {
    port.message(kTagColumnMessage, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  return ColumnFormatPage::select(port, start, end);
}

// The proposal from the preview

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Digits, with a sign, a point or an exponent: "12.5", "-3e4".
bool isNumberToken(std::string_view token) {
  bool digit = false;
  for (const char c : token) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c != '.' && c != '-' && c != '+' && c != 'e' && c != 'E')
      return false;
  }
  return digit;
}

bool holdsNumber(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start && isNumberToken(line.substr(start, i - start))) return true;
  }
  return false;
}

}  // namespace

bool proposeColumns(ColumnDescription& description, const std::vector<std::string>& previewLines) {
  const auto data =
      std::find_if(previewLines.begin(), previewLines.end(), [](const std::string& line) { return holdsNumber(line); });
  if (data == previewLines.end()) return false;
  const std::string& line = *data;
  // 1-based columns; beyond the line is blank.
  const auto blankAt = [&line](long long column) {
    return column < 1 || column > static_cast<long long>(line.size()) ||
           isBlank(line[static_cast<std::size_t>(column - 1)]);
  };
  std::vector<ColumnField*> fields;
  for (ColumnField& f : description.fields)
    if (f.position > 0 && f.length > 0) fields.push_back(&f);
  std::stable_sort(fields.begin(), fields.end(),
                   [](const ColumnField* a, const ColumnField* b) { return a->position < b->position; });
  bool changed = false;
  long long widenedEnd = 0;  // the last column of the field before, when it was widened
  for (std::size_t k = 0; k < fields.size(); ++k) {
    ColumnField& f = *fields[k];
    long long start = f.position;
    long long end = start + f.length - 1;
    if (widenedEnd >= start) start = std::min(widenedEnd + 1, end);
    widenedEnd = 0;
    if (!blankAt(end) && !blankAt(end + 1)) {
      long long tokenStart = end;
      while (!blankAt(tokenStart - 1)) --tokenStart;
      long long tokenEnd = end;
      while (!blankAt(tokenEnd + 1)) ++tokenEnd;
      const long long nextEnd =
          k + 1 < fields.size() ? fields[k + 1]->position + fields[k + 1]->length - 1 : tokenEnd + 1;
      // The field's own token: only blanks before it within the field.
      bool own = tokenStart >= start;
      for (long long c = start; own && c < tokenStart; ++c) own = blankAt(c);
      if (own && tokenEnd < nextEnd && tokenEnd - start + 1 <= CFileFormat::kMaxLength) {
        end = tokenEnd;
        widenedEnd = end;
      }
    }
    if (start != f.position || end - start + 1 != f.length) {
      f.position = static_cast<std::int32_t>(start);
      f.length = static_cast<std::int32_t>(end - start + 1);
      changed = true;
    }
  }
  return changed;
}

// CFileLoadPropertySheet

CFileLoadPropertySheet::CFileLoadPropertySheet(std::string title, bool twoFiles)
    : SheetModel(std::move(title), /*wizard=*/true), firstPage_(std::make_unique<CFileFormat>(first_)) {
  addPage(firstPage_.get());
  if (twoFiles) {
    secondPage_ = std::make_unique<CFileFormat>(second_);
    addPage(secondPage_.get());
  }
  const int count = twoFiles ? 2 : 1;
  firstPage_->setPlacement(0, count);
  if (secondPage_) secondPage_->setPlacement(1, count);
}

bool reportDelimitedRead(UiPort& port, const std::string& path, const DelimitedReport& report) {
  if (!report.fatal.empty()) {
    port.message(delimitedFatalMessage(path, report), MessageButtons::Ok, MessageIcon::Error);
    return false;
  }
  if (report.badLines > 0)
    port.message(delimitedBadLinesMessage(path, report), MessageButtons::Ok, MessageIcon::Warning);
  return true;
}

}  // namespace qx
