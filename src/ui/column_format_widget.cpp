#include "ui/column_format_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "io/column_pages.h"
#include "port/silent_port.h"
#include "sections/rotation_dialog.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"

namespace qx {

namespace {

// An unsigned edit's value; text that is not a whole number reads as -1,
// which every range refuses with its own message.
long long wholeNumber(const QLineEdit* edit) {
  bool ok = false;
  const long long v = edit->text().trimmed().toLongLong(&ok);
  return ok ? v : -1;
}

// The model's box text (lines ended as an edit control ends them, "\r\n")
// for the text box.
QString boxText(const std::string& text) {
  QString t = qs(text);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return t;
}

}  // namespace

ColumnFormatWidget::ColumnFormatWidget(ColumnFormatPage& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), output_(dynamic_cast<CAsciiFormatPage*>(&model)), port_(port) {
  chooser_ = new QComboBox(this);
  position_ = new QLineEdit(this);
  length_ = new QLineEdit(this);
  select_ = new QPushButton(QStringLiteral("&Select"), this);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setMinimumSize(560, 160);
  rotate_ = new QCheckBox(
      output_ != nullptr ? QStringLiteral("Rotate The Output Data") : QStringLiteral("Rotate The Input Data"), this);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(QStringLiteral("Field Name"), this), 0, 0);
  fields->addWidget(chooser_, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("Position"), this), 1, 0);
  fields->addWidget(position_, 1, 1);
  fields->addWidget(new QLabel(QStringLiteral("Length"), this), 2, 0);
  fields->addWidget(length_, 2, 1);
  if (output_ != nullptr) {
    decimals_ = new QLineEdit(this);
    fields->addWidget(new QLabel(QStringLiteral("Decimals"), this), 3, 0);
    fields->addWidget(decimals_, 3, 1);
  }
  auto* top = new QHBoxLayout;
  top->addLayout(fields);
  top->addWidget(select_, 0, Qt::AlignBottom);
  top->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(text_, 1);
  layout->addWidget(rotate_);

  connect(chooser_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling_ || index < 0) return;
    model_.chooseField(index);
    showField();
  });
  // Each edit goes into the chosen field as soon as it is left.
  for (QLineEdit* edit : {position_, length_, decimals_}) {
    if (edit == nullptr) continue;
    connect(edit, &QLineEdit::editingFinished, this, [this] {
      if (!filling_ && !storeEdits(port_)) showField();
    });
  }
  connect(select_, &QPushButton::clicked, this, &ColumnFormatWidget::onSelect);
  connect(rotate_, &QCheckBox::toggled, this, [this](bool on) {
    if (!filling_) model_.setRotate(on);
  });
}

void ColumnFormatWidget::loadFromModel() {
  filling_ = true;
  chooser_->clear();
  for (const std::string& name : model_.fieldNames()) chooser_->addItem(qs(name));
  chooser_->setCurrentIndex(model_.currentField());
  rotate_->setVisible(model_.rotationVisible());
  rotate_->setChecked(model_.rotate());
  if (auto* input = dynamic_cast<CFileFormat*>(&model_)) text_->setPlainText(boxText(input->previewText()));
  filling_ = false;
  showField();
}

void ColumnFormatWidget::showField() {
  filling_ = true;
  const bool any = model_.currentField() >= 0;
  position_->setText(QString::number(model_.position()));
  length_->setText(QString::number(model_.length()));
  position_->setEnabled(any);
  length_->setEnabled(any);
  select_->setEnabled(any);
  if (output_ != nullptr) {
    decimals_->setText(QString::number(output_->decimals()));
    decimals_->setEnabled(any && output_->decimalsEnabled());
    text_->setPlainText(boxText(output_->rulerText()));
  }
  filling_ = false;
}

bool ColumnFormatWidget::storeEdits(UiPort& port) {
  if (model_.currentField() < 0) return true;
  const long long position = wholeNumber(position_), length = wholeNumber(length_);
  bool stored = false;
  if (output_ != nullptr) {
    const long long decimals = output_->decimalsEnabled() ? wholeNumber(decimals_) : output_->decimals();
    stored = output_->setValues(port, position, length, decimals);
  } else if (auto* input = dynamic_cast<CFileFormat*>(&model_)) {
    stored = input->setValues(port, position, length);
  }
  if (stored && output_ != nullptr) text_->setPlainText(boxText(output_->rulerText()));
  return stored;
}

void ColumnFormatWidget::onSelect() {
  // The selection's columns counted from the start of the line it starts on.
  const QTextCursor cursor = text_->textCursor();
  const int lineStart = text_->document()->findBlock(cursor.selectionStart()).position();
  if (!model_.select(port_, cursor.selectionStart() - lineStart, cursor.selectionEnd() - lineStart)) return;
  showField();
  if (model_.takeChooserFocus()) chooser_->setFocus();
}

bool ColumnFormatWidget::storeToModel(UiPort* port) {
  SilentPort silent;
  return storeEdits(port != nullptr ? *port : silent);
}

CDialogRotationParamsWidget::CDialogRotationParamsWidget(CDialogRotationParams& model, QWidget* parent)
    : ModelWidget(parent), model_(model) {
  auto* angles = new QGroupBox(qs(CDialogRotationParams::kAnglesGroup), this);
  auto* angleLayout = new QGridLayout(angles);
  auto* centre = new QGroupBox(qs(CDialogRotationParams::kCentreGroup), this);
  auto* centreLayout = new QGridLayout(centre);
  for (int k = 0; k < 3; ++k) {
    angles_[k] = new QLineEdit(angles);
    angleLayout->addWidget(new QLabel(qs(CDialogRotationParams::kAngleLabels[static_cast<std::size_t>(k)]), angles), k,
                           0);
    angleLayout->addWidget(angles_[k], k, 1);
    centre_[k] = new QLineEdit(centre);
    centreLayout->addWidget(new QLabel(qs(CDialogRotationParams::kCentreLabels[static_cast<std::size_t>(k)]), centre),
                            k, 0);
    centreLayout->addWidget(centre_[k], k, 1);
  }
  inverse_ = new QCheckBox(qs(CDialogRotationParams::kInverseLabel), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(angles);
  layout->addWidget(centre);
  layout->addWidget(inverse_);
}

void CDialogRotationParamsWidget::loadFromModel() {
  const double angles[3] = {model_.theta, model_.phi, model_.psi};
  const double centre[3] = {model_.centre.x, model_.centre.y, model_.centre.z};
  for (int k = 0; k < 3; ++k) {
    angles_[k]->setText(formatNumber(angles[k]));
    centre_[k]->setText(formatNumber(centre[k]));
  }
  inverse_->setChecked(model_.inverse);
}

bool CDialogRotationParamsWidget::storeToModel(UiPort* port) {
  double* angles[3] = {&model_.theta, &model_.phi, &model_.psi};
  double* centre[3] = {&model_.centre.x, &model_.centre.y, &model_.centre.z};
  for (int k = 0; k < 3; ++k)
    if (!storeNumber(angles_[k], *angles[k], port)) return false;
  for (int k = 0; k < 3; ++k)
    if (!storeNumber(centre_[k], *centre[k], port)) return false;
  model_.inverse = inverse_->isChecked();
  return true;
}

}  // namespace qx
