#pragma once
// The widgets that show dialog models. A model widget binds its controls to
// one model: it shows the model's values, writes the controls back, and asks
// the model which controls are enabled. It holds no rules of its own.
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace qx {

class DialogModel;
class UiPort;

class ModelWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ModelWidget(QWidget* parent = nullptr) : QWidget(parent) {}

  // Shows the model's values in the controls and applies its enabling rules.
  virtual void loadFromModel() = 0;
  // Writes the controls' values into the model. A field that holds no number
  // is reported through `port` and makes the result false; with no port the
  // fields that hold numbers are stored and the others are left alone.
  virtual bool storeToModel(UiPort* port) = 0;
};

// Which widget shows a model, by the model's kind().
class WidgetRegistry {
 public:
  using Factory = std::function<ModelWidget*(DialogModel& model, UiPort& port, QWidget* parent)>;

  void add(std::string_view kind, Factory factory);
  bool contains(std::string_view kind) const;
  // A new widget bound to `model`, or nullptr when no widget shows its kind.
  ModelWidget* create(DialogModel& model, UiPort& port, QWidget* parent) const;

 private:
  std::map<std::string, Factory, std::less<>> factories_;
};

// A factory of widget W over model M (the model's kind guarantees its type);
// W is given the port when it takes one.
template <typename M, typename W>
WidgetRegistry::Factory widgetFactory() {
  return [](DialogModel& model, UiPort& port, QWidget* parent) -> ModelWidget* {
    auto* typed = dynamic_cast<M*>(&model);
    if (typed == nullptr) return nullptr;
    if constexpr (std::is_constructible_v<W, M&, UiPort&, QWidget*>)
      return new W(*typed, port, parent);
    else
      return new W(*typed, parent);
  };
}

// The widgets of every model the desktop shows.
void registerStandardWidgets(WidgetRegistry& registry);

}  // namespace qx
