#pragma once
// "File Format": the page that places the fields of an input file (preview of
// the file) or of an output file (ruler box, "Decimals"). Every rule is the
// page model's; the widget shows it and hands it what was typed. The input
// page also offers "Fixed Columns" or "Delimited": a delimited file has a
// separator, "Header Row" and one column combo per field instead of the
// positions.
#include <vector>

#include "ui/model_widget.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qx {

class ColumnFormatPage;
class CAsciiFormatPage;
class CFileFormat;

class ColumnFormatWidget : public ModelWidget {
  Q_OBJECT

 public:
  ColumnFormatWidget(ColumnFormatPage& model, UiPort& port, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QComboBox* chooser() const { return chooser_; }
  QLineEdit* position() const { return position_; }
  QLineEdit* length() const { return length_; }
  QLineEdit* decimals() const { return decimals_; }  // output page only, else nullptr
  QPushButton* selectButton() const { return select_; }
  QPlainTextEdit* textBox() const { return text_; }  // the preview, or the ruler box
  QCheckBox* rotate() const { return rotate_; }
  // The input page's file kind, separator, header row and per-field column
  // combos (else nullptr and none).
  QComboBox* kind() const { return kind_; }
  QComboBox* separator() const { return separator_; }
  QCheckBox* header() const { return header_; }
  const std::vector<QComboBox*>& columns() const { return columns_; }

 private:
  // The file kind, separator and header row, the column combos, the preview
  // and which of the two sets of controls shows.
  void showFormat();
  // The chosen field's values into the edits, the ruler box and the enabling.
  void showField();
  // The edits into the chosen field through the model (its range checks and
  // messages); false when it refused them.
  bool storeEdits(UiPort& port);
  void onSelect();

  ColumnFormatPage& model_;
  CAsciiFormatPage* output_ = nullptr;
  UiPort& port_;
  QComboBox* chooser_ = nullptr;
  QLineEdit* position_ = nullptr;
  QLineEdit* length_ = nullptr;
  QLineEdit* decimals_ = nullptr;
  QPushButton* select_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QCheckBox* rotate_ = nullptr;
  CFileFormat* input_ = nullptr;
  QWidget* fixedBox_ = nullptr;
  QWidget* delimitedBox_ = nullptr;
  QComboBox* kind_ = nullptr;
  QComboBox* separator_ = nullptr;
  QCheckBox* header_ = nullptr;
  std::vector<QComboBox*> columns_;
  bool filling_ = false;
};

class CDialogRotationParams;

// "Rotation Parameters": the three angles, the centre and "Inverse Rotation".
class CDialogRotationParamsWidget : public ModelWidget {
  Q_OBJECT

 public:
  CDialogRotationParamsWidget(CDialogRotationParams& model, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QLineEdit* angle(int k) const { return angles_[k]; }   // theta, phi, psi
  QLineEdit* centre(int k) const { return centre_[k]; }  // X, Y, Z
  QCheckBox* inverse() const { return inverse_; }

 private:
  CDialogRotationParams& model_;
  QLineEdit* angles_[3] = {};
  QLineEdit* centre_[3] = {};
  QCheckBox* inverse_ = nullptr;
};

}  // namespace qx
