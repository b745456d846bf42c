#pragma once
// The pages that choose what a command works on: envelope by envelope
// whether its composites are used (calculation settings, composite export),
// and which figures an export writes. The choices are the models'.
#include "ui/model_widget.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace qx {

class CPropPageCompositeEnvelopes;
class CPropPageExportEnvelopes;
class CPropPageSelectFigures;

// "Envelope Name" / "Use Composites?" with "Select", "De-Select" and the
// switch for the composites outside every envelope.
class CompositeEnvelopesWidget : public ModelWidget {
  Q_OBJECT

 public:
  CompositeEnvelopesWidget(CPropPageCompositeEnvelopes& model, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QTreeWidget* list() const { return list_; }
  QPushButton* selectButton() const { return select_; }
  QPushButton* deSelectButton() const { return deSelect_; }
  QCheckBox* outside() const { return outside_; }

 private:
  void showLines();

  CPropPageCompositeEnvelopes& model_;
  QTreeWidget* list_ = nullptr;
  QPushButton* select_ = nullptr;
  QPushButton* deSelect_ = nullptr;
  QCheckBox* outside_ = nullptr;
  bool filling_ = false;
};

// "Select Figures To Export": all, a single figure from a list, or the
// figures ticked in a second list.
class SelectFiguresWidget : public ModelWidget {
  Q_OBJECT

 public:
  SelectFiguresWidget(CPropPageSelectFigures& model, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QRadioButton* choiceButton(int choice) const;
  QComboBox* single() const { return single_; }
  QListWidget* group() const { return group_; }

 private:
  void applyEnabling();

  CPropPageSelectFigures& model_;
  QButtonGroup* choices_ = nullptr;
  QComboBox* single_ = nullptr;
  QListWidget* group_ = nullptr;
};

// "Export Envelopes": a check box per envelope.
class ExportEnvelopesWidget : public ModelWidget {
  Q_OBJECT

 public:
  ExportEnvelopesWidget(CPropPageExportEnvelopes& model, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QListWidget* list() const { return list_; }

 private:
  CPropPageExportEnvelopes& model_;
  QListWidget* list_ = nullptr;
};

}  // namespace qx
