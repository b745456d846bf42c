#include "ui/model_widget.h"

#include "port/dialog_model.h"

namespace qx {

void WidgetRegistry::add(std::string_view kind, Factory factory) {
  factories_.insert_or_assign(std::string(kind), std::move(factory));
}

bool WidgetRegistry::contains(std::string_view kind) const { return factories_.find(kind) != factories_.end(); }

ModelWidget* WidgetRegistry::create(DialogModel& model, UiPort& port, QWidget* parent) const {
  auto it = factories_.find(model.kind());
  return it == factories_.end() ? nullptr : it->second(model, port, parent);
}

}  // namespace qx
