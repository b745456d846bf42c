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
    : ModelWidget(parent),
      model_(model),
      output_(dynamic_cast<CAsciiFormatPage*>(&model)),
      port_(port),
      input_(dynamic_cast<CFileFormat*>(&model)) {
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
  fixedBox_ = new QWidget(this);
  auto* top = new QHBoxLayout(fixedBox_);
  top->setContentsMargins(0, 0, 0, 0);
  top->addLayout(fields);
  top->addWidget(select_, 0, Qt::AlignBottom);
  top->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  if (input_ != nullptr) {
    kind_ = new QComboBox(this);
    kind_->addItems({QStringLiteral("Fixed Columns"), QStringLiteral("Delimited")});
    separator_ = new QComboBox(this);
    separator_->addItems(
        {QStringLiteral("Comma"), QStringLiteral("Semicolon"), QStringLiteral("Tab"), QStringLiteral("White Space")});
    header_ = new QCheckBox(QStringLiteral("Header Row"), this);
    auto* format = new QHBoxLayout;
    format->addWidget(new QLabel(QStringLiteral("File Kind"), this));
    format->addWidget(kind_);
    format->addWidget(new QLabel(QStringLiteral("Separator"), this));
    format->addWidget(separator_);
    format->addWidget(header_);
    format->addStretch(1);
    layout->addLayout(format);
    delimitedBox_ = new QWidget(this);
    new QGridLayout(delimitedBox_);
    layout->addWidget(delimitedBox_);
    connect(kind_, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (filling_) return;
      input_->setDelimited(index == 1);
      showFormat();
      showField();
    });
    connect(separator_, &QComboBox::currentIndexChanged, this, [this](int index) {
      if (filling_) return;
      input_->setSeparator(static_cast<Separator>(index));
      showFormat();
    });
    connect(header_, &QCheckBox::toggled, this, [this](bool on) {
      if (filling_) return;
      input_->setHeader(on);
      showFormat();
    });
  }
  layout->addWidget(fixedBox_);
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
  filling_ = false;
  if (input_ != nullptr) showFormat();
  showField();
}

void ColumnFormatWidget::showFormat() {
  filling_ = true;
  const bool delimited = input_->delimited();
  kind_->setCurrentIndex(delimited ? 1 : 0);
  separator_->setCurrentIndex(static_cast<int>(input_->format().separator));
  header_->setChecked(input_->format().header);
  separator_->setEnabled(delimited);
  header_->setEnabled(delimited);
  fixedBox_->setVisible(!delimited);
  delimitedBox_->setVisible(delimited);
  // One row per field: its name and the column it takes.
  auto* grid = static_cast<QGridLayout*>(delimitedBox_->layout());
  while (QLayoutItem* item = grid->takeAt(0)) {
    delete item->widget();
    delete item;
  }
  columns_.clear();
  if (delimited) {
    QStringList choices;
    for (const std::string& c : input_->columnChoices()) choices << qs(c);
    const std::vector<std::string> names = input_->fieldNames();
    for (std::size_t k = 0; k < names.size(); ++k) {
      const int field = static_cast<int>(k);
      auto* combo = new QComboBox(delimitedBox_);
      combo->addItems(choices);
      combo->setCurrentIndex(input_->fieldColumn(field));
      connect(combo, &QComboBox::currentIndexChanged, this, [this, field](int choice) {
        if (!filling_ && choice >= 0) input_->setFieldColumn(field, choice);
      });
      const int row = field / 2, column = (field % 2) * 2;
      grid->addWidget(new QLabel(qs(names[k]), delimitedBox_), row, column);
      grid->addWidget(combo, row, column + 1);
      columns_.push_back(combo);
    }
  }
  text_->setPlainText(boxText(input_->previewText()));
  filling_ = false;
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
  } else if (input_ != nullptr) {
    if (input_->delimited()) return true;  // the column combos store as they change
    stored = input_->setValues(port, position, length);
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
