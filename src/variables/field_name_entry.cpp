#include "variables/field_name_entry.h"

#include "port/ui_port.h"

namespace qx {

bool CFieldNameEntry::onOk(UiPort& port) {
  if (loaded_.empty()) {
    port.message(varmsg::kNoLoadedField, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  return true;
}

const std::array<ListColumn, CFieldNameEntry::kColumnCount>& CFieldNameEntry::columns() {
  static const std::array<ListColumn, kColumnCount> kColumns = {{{"Variable Name", 90},
                                                                 {"Default Value", 80},
                                                                 {"Missing Indicator", 100},
                                                                 {"Weighting Type", 90},
                                                                 {"Formula", 170}}};
  return kColumns;
}

std::vector<CFieldNameEntry::ListLine> CFieldNameEntry::lines() const {
  std::vector<ListLine> out;
  out.reserve(loaded_.size() + calculated_.size());
  for (const auto& v : loaded_) {
    out.push_back({v.name, formatFixed(v.defaultValue, 4), formatFixed(v.missingValue, 4),
                   std::string(weightingTypeName(v.weightingType)), "N/A"});
  }
  for (const auto& v : calculated_) {
    out.push_back({v.name, formatFixed(v.defaultValue, 4), "N/A", "N/A", v.formulaText});
  }
  return out;
}

void CFieldNameEntry::appendLoaded(VariableInfo v) {
  // The new loaded variable takes the number of the first calculated one:
  // references to calculated variables move up with them.
  renumberAfterInsertion(calculated_, static_cast<int>(loaded_.size()));
  if (designated_.sg >= static_cast<int>(loaded_.size())) ++designated_.sg;
  if (designated_.thickness >= static_cast<int>(loaded_.size())) ++designated_.thickness;
  if (designated_.recovery >= static_cast<int>(loaded_.size())) ++designated_.recovery;
  loaded_.push_back(std::move(v));
}

void CFieldNameEntry::eraseVariable(int number) {
  const int nLoaded = static_cast<int>(loaded_.size());
  if (number < nLoaded) {
    deletedNames_.push_back(loaded_[number].name);
    loaded_.erase(loaded_.begin() + number);
  } else {
    deletedNames_.push_back(calculated_[number - nLoaded].name);
    calculated_.erase(calculated_.begin() + (number - nLoaded));
  }
  renumberAfterDeletion(calculated_, number);
  designated_ = designatedAfterDeletion(designated_, number);
  rebuildFormulaTexts(calculated_, names(), textBuilder_);
  selected_ = -1;
}

bool CFieldNameEntry::add(UiPort& port) {
  CAddFieldEntry entry(names());
  entry.formulaScope = makeFormulaScope(loaded_, calculated_, -1);
  if (!port.runDialog(entry)) return false;
  if (entry.calculateFieldValue)
    calculated_.push_back(entry.toCalculated());
  else
    appendLoaded(entry.toLoaded());
  return true;
}

bool CFieldNameEntry::edit(UiPort& port) {
  if (selected_ < 0 || selected_ >= variableCount()) return false;
  const int number = selected_;
  const int nLoaded = static_cast<int>(loaded_.size());
  const bool wasCalculated = number >= nLoaded;
  CAddFieldEntry entry = wasCalculated ? CAddFieldEntry::forCalculated(calculated_[number - nLoaded], names())
                                       : CAddFieldEntry::forLoaded(loaded_[number], names());
  // Its formula may use the variables before it; they keep their numbers
  // also when a loaded entry becomes calculated and moves to the end.
  entry.formulaScope = makeFormulaScope(loaded_, calculated_, number);
  if (!port.runDialog(entry)) return false;

  if (entry.calculateFieldValue == wasCalculated) {
    const bool renamed = entry.fieldName != entry.originalName();
    if (wasCalculated)
      calculated_[number - nLoaded] = entry.toCalculated(calculated_[number - nLoaded]);
    else
      loaded_[number] = entry.toLoaded(loaded_[number]);
    if (renamed) rebuildFormulaTexts(calculated_, names(), textBuilder_);
    return true;
  }

  // The kind changed: the old variable leaves its list as a deletion would.
  if (auto refusal = checkVariableDeletion(number, calculated_, designated_)) {
    port.message(*refusal, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  eraseVariable(number);
  if (entry.calculateFieldValue)
    calculated_.push_back(entry.toCalculated());
  else
    appendLoaded(entry.toLoaded());
  return true;
}

bool CFieldNameEntry::remove(UiPort& port) {
  if (selected_ < 0 || selected_ >= variableCount()) return false;
  if (auto refusal = checkVariableDeletion(selected_, calculated_, designated_)) {
    port.message(*refusal, MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  eraseVariable(selected_);
  return true;
}

std::string CFieldNameEntry::nameRefusal(const std::string& name) const {
  auto refusal = validateVariableName(name, "", names());
  return refusal ? std::string(*refusal) : std::string();
}

std::string CFieldNameEntry::addLoaded(VariableInfo v) {
  if (auto refusal = nameRefusal(v.name); !refusal.empty()) return refusal;
  v.name = trimName(v.name);
  appendLoaded(std::move(v));
  return {};
}

std::string CFieldNameEntry::addCalculated(VariableInfoCalc v) {
  if (auto refusal = nameRefusal(v.name); !refusal.empty()) return refusal;
  v.name = trimName(v.name);
  calculated_.push_back(std::move(v));
  return {};
}

std::string CFieldNameEntry::removeVariable(int number) {
  if (number < 0 || number >= variableCount()) return {};
  if (auto refusal = checkVariableDeletion(number, calculated_, designated_)) return std::string(*refusal);
  eraseVariable(number);
  return {};
}

}  // namespace qx
