#pragma once
// The widgets of the Report menu's result commands: the options of
// "Grade-Tonnage...", "Declustering..." and "Check Data...", and the results
// dialog showing the chart image and the text with Save and Close.
#include "ui/model_widget.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace qx {

class CheckDataDialog;
class DeclusteringDialog;
class GradeTonnageDialog;
class ResultsDialog;

// Registers the widgets of this file (called by registerStandardWidgets).
void registerResultsWidgets(WidgetRegistry& registry);

class GradeTonnageWidget : public ModelWidget {
  Q_OBJECT

 public:
  GradeTonnageWidget(GradeTonnageDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  void updateEnabled();

  GradeTonnageDialog& model_;
  QComboBox* variable_ = nullptr;
  QRadioButton* steps_ = nullptr;
  QRadioButton* list_ = nullptr;
  QLineEdit* first_ = nullptr;
  QLineEdit* step_ = nullptr;
  QSpinBox* count_ = nullptr;
  QLineEdit* cutoffs_ = nullptr;
  QListWidget* envelopes_ = nullptr;
  QListWidget* figures_ = nullptr;
};

class DeclusteringWidget : public ModelWidget {
  Q_OBJECT

 public:
  DeclusteringWidget(DeclusteringDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  DeclusteringDialog& model_;
  QListWidget* variables_ = nullptr;
  QSpinBox* bins_ = nullptr;
};

class CheckDataWidget : public ModelWidget {
  Q_OBJECT

 public:
  CheckDataWidget(CheckDataDialog& model, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

 private:
  CheckDataDialog& model_;
  QLineEdit* tolerance_ = nullptr;
  QLineEdit* low_ = nullptr;
  QLineEdit* high_ = nullptr;
};

// The chart (when there is one) above the text; Save asks for the file, and
// the dialog's buttons become a single Close.
class ResultsWidget : public ModelWidget {
  Q_OBJECT

 public:
  ResultsWidget(ResultsDialog& model, UiPort& port, QWidget* parent = nullptr);
  void loadFromModel() override;
  bool storeToModel(UiPort*) override { return true; }

 private:
  ResultsDialog& model_;
  UiPort& port_;
  QLabel* chart_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace qx
