#pragma once
// The widgets of the editing tools' dialogs: the composite modify dialog, the
// envelope that receives a new contour, and the name of a new figure. The
// rules and texts are the models'.
#include "ui/model_widget.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace qx {

class CCreateEnvelopeDialog;
class CDialogCompositeModify;
class CFigurePropertiesDialog;
class CRetagContourDialog;
class CSnapCoordDlg;
class CTargetAreaDialog;

// "Composite: <name>": the "Property" / "Value" list, the selected row's
// label and edit box, "Set" and "Delete". Delete closes the dialog (the
// model's result tells it from OK).
class CompositeModifyWidget : public ModelWidget {
  Q_OBJECT

 public:
  CompositeModifyWidget(CDialogCompositeModify& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QTreeWidget* rows() const { return rows_; }
  QLineEdit* edit() const { return edit_; }
  QPushButton* setButton() const { return set_; }
  QPushButton* deleteButton() const { return delete_; }

 private:
  void showRows();

  CDialogCompositeModify& model_;
  UiPort& port_;
  QTreeWidget* rows_ = nullptr;
  QLabel* label_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QPushButton* set_ = nullptr;
  QPushButton* delete_ = nullptr;
  bool filling_ = false;
};

// "Create Envelope": the name in an editable list of the envelopes' names,
// the density and the colour.
class CreateEnvelopeWidget : public ModelWidget {
  Q_OBJECT

 public:
  CreateEnvelopeWidget(CCreateEnvelopeDialog& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QComboBox* name() const { return name_; }
  QLineEdit* density() const { return density_; }

 private:
  void showColour();

  CCreateEnvelopeDialog& model_;
  UiPort& port_;
  QComboBox* name_ = nullptr;
  QLineEdit* density_ = nullptr;
  QLabel* swatch_ = nullptr;
};

// "Figure Properties": the new figure's name.
class FigurePropertiesWidget : public ModelWidget {
  Q_OBJECT

 public:
  explicit FigurePropertiesWidget(CFigurePropertiesDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QLineEdit* name() const { return name_; }

 private:
  CFigurePropertiesDialog& model_;
  QLineEdit* name_ = nullptr;
};

// "Enter target area": the one edit box, kept as text (the tool reads it).
class TargetAreaWidget : public ModelWidget {
  Q_OBJECT

 public:
  explicit TargetAreaWidget(CTargetAreaDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QLineEdit* area() const { return area_; }

 private:
  CTargetAreaDialog& model_;
  QLineEdit* area_ = nullptr;
};

// "Retag Contour": the envelope names under the model's prompt.
class RetagContourWidget : public ModelWidget {
  Q_OBJECT

 public:
  explicit RetagContourWidget(CRetagContourDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QListWidget* names() const { return names_; }

 private:
  CRetagContourDialog& model_;
  QListWidget* names_ = nullptr;
};

// "Snap To Coordinate": X and Y, both numbers.
class SnapCoordinateWidget : public ModelWidget {
  Q_OBJECT

 public:
  explicit SnapCoordinateWidget(CSnapCoordDlg& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QLineEdit* x() const { return x_; }
  QLineEdit* y() const { return y_; }

 private:
  CSnapCoordDlg& model_;
  QLineEdit* x_ = nullptr;
  QLineEdit* y_ = nullptr;
};

void registerEditWidgets(WidgetRegistry& registry);

}  // namespace qx
