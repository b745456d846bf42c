#include "io/column_pages.h"

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

bool CFileFormat::onOk(UiPort& port) {
  const int missing = firstMissingRequired(*description_);
  if (missing < 0) return true;
  port.message(requiredFieldMessage(description_->fields[static_cast<std::size_t>(missing)].name), MessageButtons::Ok,
               MessageIcon::Warning);
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

}  // namespace qx
