#include "datasets/composite_modify_dialog.h"

#include <charconv>

#include "io/line_reader.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"

namespace qx {

namespace {

// "%.4lf" in the C locale.
std::string fixed4(double v) {
  char buffer[400];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 4);
  return std::string(buffer, r.ptr);
}

}  // namespace

CDialogCompositeModify::CDialogCompositeModify(CComposite composite, const QuarlexSettings& settings)
    : composite_(std::move(composite)), withZ_(settings.projectType == kProject3D) {
  for (const auto& v : settings.loaded) loadedNames_.push_back(v.name);
  for (const auto& v : settings.calculated) calculatedNames_.push_back(v.name);
  refresh();
}

double* CDialogCompositeModify::valueOf(int row) {
  const int coordinates = withZ_ ? 3 : 2;
  if (row < 0) return nullptr;
  if (row == 0) return &composite_.position.x;
  if (row == 1) return &composite_.position.y;
  if (row == 2 && withZ_) return &composite_.position.z;
  int k = row - coordinates;
  if (k < static_cast<int>(loadedNames_.size()))
    return k < static_cast<int>(composite_.values.size()) ? &composite_.values[static_cast<std::size_t>(k)] : nullptr;
  k -= static_cast<int>(loadedNames_.size());
  if (k < static_cast<int>(calculatedNames_.size()) && k < static_cast<int>(composite_.calcValues.size()))
    return &composite_.calcValues[static_cast<std::size_t>(k)];
  return nullptr;
}

void CDialogCompositeModify::refresh() {
  rows_.clear();
  rows_.push_back({"X Coordinate", ""});
  rows_.push_back({"Y Coordinate", ""});
  if (withZ_) rows_.push_back({"Z Coordinate", ""});
  for (const auto& n : loadedNames_) rows_.push_back({n, ""});
  for (const auto& n : calculatedNames_) rows_.push_back({n, ""});
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
    const double* v = valueOf(i);
    rows_[static_cast<std::size_t>(i)].value = fixed4(v != nullptr ? *v : 0.0);
  }
}

void CDialogCompositeModify::selectRow(int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) {
    selected_ = -1;
    label_.clear();
    edit_.clear();
    return;
  }
  selected_ = index;
  const int coordinates = withZ_ ? 3 : 2;
  const auto& row = rows_[static_cast<std::size_t>(index)];
  if (index < coordinates)
    label_ = row.property;
  else if (index < coordinates + static_cast<int>(loadedNames_.size()))
    label_ = "Variable: " + row.property;
  else
    label_ = "Calc Var: " + row.property;
  edit_ = row.value;
}

bool CDialogCompositeModify::set() {
  double* v = valueOf(selected_);
  if (v == nullptr) return false;
  *v = scanNumber(edit_);
  refresh();
  return true;
}

bool CDialogCompositeModify::onOk(UiPort& /*port*/) {
  result_ = Result::Ok;
  return true;
}

bool CDialogCompositeModify::onDelete(UiPort& port) {
  if (port.message("Are you sure you want to delete composite " + composite_.name + "?", MessageButtons::YesNo,
                   MessageIcon::Question) != MessageAnswer::Yes)
    return false;
  result_ = Result::Delete;
  return true;
}

}  // namespace qx
