#pragma once
// The small property dialogs of the imports: "Envelope Properties" (name,
// density, colour) and "Surface Properties" (name, colour). The checks on OK
// are the models'.
#include "ui/model_widget.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace qx {

class CEnvelopePropertiesDialog;
class CSurfacePropertiesDialog;

// A name, a colour swatch with its button, and for envelopes the density.
class NameColourWidget : public ModelWidget {
  Q_OBJECT

 public:
  NameColourWidget(CEnvelopePropertiesDialog& model, UiPort& port, QWidget* parent = nullptr);
  NameColourWidget(CSurfacePropertiesDialog& model, UiPort& port, QWidget* parent = nullptr);

  void loadFromModel() override;
  bool storeToModel(UiPort* port) override;

  QLineEdit* name() const { return name_; }
  QLineEdit* density() const { return density_; }  // envelopes only, else nullptr
  QLabel* swatch() const { return swatch_; }
  QPushButton* colourButton() const { return colourButton_; }

 private:
  void build(const char* nameLabel, const char* densityLabel, const char* colourLabel, const char* buttonLabel);
  void showColour();

  CEnvelopePropertiesDialog* envelope_ = nullptr;
  CSurfacePropertiesDialog* surface_ = nullptr;
  UiPort& port_;
  QLineEdit* name_ = nullptr;
  QLineEdit* density_ = nullptr;
  QLabel* swatch_ = nullptr;
  QPushButton* colourButton_ = nullptr;
};

}  // namespace qx
