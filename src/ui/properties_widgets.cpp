#include "ui/properties_widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "datasets/envelope_dialogs.h"
#include "datasets/surface_import.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_port.h"

namespace qx {

NameColourWidget::NameColourWidget(CEnvelopePropertiesDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), envelope_(&model), port_(port) {
  build("Envelope Name :", "Density in Envelope:", "Envelope Colour :", "Select Colour...");
}

NameColourWidget::NameColourWidget(CSurfacePropertiesDialog& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), surface_(&model), port_(port) {
  build(CSurfacePropertiesDialog::kNameLabel.data(), nullptr, CSurfacePropertiesDialog::kColourLabel.data(),
        CSurfacePropertiesDialog::kSelectColourLabel.data());
}

void NameColourWidget::build(const char* nameLabel, const char* densityLabel, const char* colourLabel,
                             const char* buttonLabel) {
  auto* layout = new QGridLayout(this);
  name_ = new QLineEdit(this);
  name_->setMaxLength(static_cast<int>(kEnvelopeNameMaxLength));  // 32 for both
  layout->addWidget(new QLabel(QString::fromLatin1(nameLabel), this), 0, 0);
  layout->addWidget(name_, 0, 1, 1, 2);
  int row = 1;
  if (densityLabel != nullptr) {
    density_ = new QLineEdit(this);
    layout->addWidget(new QLabel(QString::fromLatin1(densityLabel), this), row, 0);
    layout->addWidget(density_, row, 1, 1, 2);
    ++row;
  }
  swatch_ = new QLabel(this);
  swatch_->setMinimumSize(48, 20);
  swatch_->setAutoFillBackground(true);
  colourButton_ = new QPushButton(QString::fromLatin1(buttonLabel), this);
  layout->addWidget(new QLabel(QString::fromLatin1(colourLabel), this), row, 0);
  layout->addWidget(swatch_, row, 1);
  layout->addWidget(colourButton_, row, 2);
  connect(colourButton_, &QPushButton::clicked, this, [this] {
    if (envelope_ != nullptr) envelope_->chooseColour(port_);
    if (surface_ != nullptr) surface_->selectColour(port_);
    showColour();
  });
}

void NameColourWidget::showColour() {
  const ColorRef colour =
      envelope_ != nullptr ? envelope_->colour() : static_cast<ColorRef>(surface_ != nullptr ? surface_->colour() : 0);
  QPalette palette = swatch_->palette();
  palette.setColor(QPalette::Window, toQColor(colour));
  swatch_->setPalette(palette);
}

void NameColourWidget::loadFromModel() {
  if (envelope_ != nullptr) {
    name_->setText(qs(envelope_->name()));
    density_->setText(formatNumber(envelope_->density()));
    density_->setEnabled(envelope_->densityEnabled());
    colourButton_->setEnabled(envelope_->colourEnabled());
  } else if (surface_ != nullptr) {
    name_->setText(qs(surface_->name()));
  }
  showColour();
}

bool NameColourWidget::storeToModel(UiPort* port) {
  const std::string name = name_->text().toStdString();
  if (envelope_ != nullptr) {
    double density = envelope_->density();
    if (!storeNumber(density_, density, port)) return false;
    envelope_->setDensity(density);
    envelope_->setName(name);
  } else if (surface_ != nullptr) {
    surface_->setName(name);
  }
  return true;
}

}  // namespace qx
