#pragma once
// "Data Fields": the list of the variables being defined, with "&Add",
// "&Edit" and "&Remove"; every button is the model's.
#include "ui/model_widget.h"

class QPushButton;
class QTreeWidget;

namespace qx {

class CFieldNameEntry;

class CFieldNameEntryWidget : public ModelWidget {
  Q_OBJECT

 public:
  CFieldNameEntryWidget(CFieldNameEntry& model, UiPort& port, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QTreeWidget* list() const { return list_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* editButton() const { return edit_; }
  QPushButton* removeButton() const { return remove_; }

 private:
  void onSelectionChanged();
  void runAction(bool (CFieldNameEntry::*action)(UiPort&));

  CFieldNameEntry& model_;
  UiPort& port_;
  QTreeWidget* list_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* edit_ = nullptr;
  QPushButton* remove_ = nullptr;
  bool filling_ = false;
};

}  // namespace qx
