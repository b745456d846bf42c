#include "ui/model_parameters_widget.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "project/model_parameters_page.h"
#include "ui/number_fields.h"
#include "ui/qt_text.h"

namespace qx {

namespace {

// Fills a variable list and selects `index`; an index outside the list selects nothing.
void fillChooser(QComboBox* box, const std::vector<std::string>& names, int index) {
  const QSignalBlocker block(box);
  box->clear();
  for (const std::string& name : names) box->addItem(qs(name));
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

// The list's choice; an empty list leaves the index as it was.
void storeChoice(const QComboBox* box, int& index) {
  if (box->count() > 0) index = box->currentIndex();
}

}  // namespace

CSpecGravPageWidget::CSpecGravPageWidget(CSpecGravPage& model, QWidget* parent) : ModelWidget(parent), model_(model) {
  // Specific gravity.
  auto* sgGroup = new QGroupBox(QStringLiteral("Specific Gravity"), this);
  defaultSG_ = new QLineEdit(sgGroup);
  useVariableSG_ = new QCheckBox(QStringLiteral("Use Variable SG"), sgGroup);
  sgVariable_ = new QComboBox(sgGroup);
  wasteSG_ = new QLineEdit(sgGroup);
  auto* sgLayout = new QGridLayout(sgGroup);
  sgLayout->addWidget(new QLabel(QStringLiteral("Default Specific Gravity"), sgGroup), 0, 0);
  sgLayout->addWidget(defaultSG_, 0, 1);
  sgLayout->addWidget(useVariableSG_, 1, 0);
  sgLayout->addWidget(sgVariable_, 1, 1);
  sgLayout->addWidget(new QLabel(QStringLiteral("Default Waste S.G."), sgGroup), 2, 0);
  sgLayout->addWidget(wasteSG_, 2, 1);

  // Recovery.
  auto* recoveryGroup = new QGroupBox(QStringLiteral("Recovery"), this);
  recovery_ = new QButtonGroup(this);
  auto* recoveryLayout = new QGridLayout(recoveryGroup);
  for (int mode = 0; mode < static_cast<int>(CSpecGravPage::kRecoveryChoices.size()); ++mode) {
    auto* button = new QRadioButton(qs(CSpecGravPage::kRecoveryChoices[static_cast<size_t>(mode)]), recoveryGroup);
    recovery_->addButton(button, mode);
    recoveryLayout->addWidget(button, mode, 0);
  }
  fixedRecovery_ = new QLineEdit(recoveryGroup);
  recoveryVariable_ = new QComboBox(recoveryGroup);
  recoveryLayout->addWidget(fixedRecovery_, 1, 1);
  recoveryLayout->addWidget(recoveryVariable_, 2, 1);

  // Thickness.
  auto* thicknessGroup = new QGroupBox(QStringLiteral("Thickness"), this);
  useFixedThickness_ = new QCheckBox(QStringLiteral("Use Fixed Thickness"), thicknessGroup);
  fixedThickness_ = new QLineEdit(thicknessGroup);
  thicknessVariableLabel_ = new QLabel(QStringLiteral("Thickness Variable"), thicknessGroup);
  thicknessVariable_ = new QComboBox(thicknessGroup);
  wasteThickness_ = new QLineEdit(thicknessGroup);
  auto* thicknessLayout = new QGridLayout(thicknessGroup);
  thicknessLayout->addWidget(useFixedThickness_, 0, 0);
  thicknessLayout->addWidget(fixedThickness_, 0, 1);
  thicknessLayout->addWidget(thicknessVariableLabel_, 1, 0);
  thicknessLayout->addWidget(thicknessVariable_, 1, 1);
  thicknessLayout->addWidget(new QLabel(QStringLiteral("Thickness of Waste"), thicknessGroup), 2, 0);
  thicknessLayout->addWidget(wasteThickness_, 2, 1);

  // Project type.
  projectTypeGroup_ = new QGroupBox(QStringLiteral("Project Type"), this);
  projectType_ = new QButtonGroup(this);
  auto* typeLayout = new QVBoxLayout(projectTypeGroup_);
  for (int type = 0; type < static_cast<int>(CSpecGravPage::kProjectTypes.size()); ++type) {
    auto* button = new QRadioButton(qs(CSpecGravPage::kProjectTypes[static_cast<size_t>(type)]), projectTypeGroup_);
    projectType_->addButton(button, type);
    typeLayout->addWidget(button);
  }

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sgGroup);
  layout->addWidget(recoveryGroup);
  layout->addWidget(thicknessGroup);
  layout->addWidget(projectTypeGroup_);
  layout->addStretch(1);

  connect(useVariableSG_, &QCheckBox::toggled, this, [this](bool on) {
    model_.useVariableSG = on;
    applyEnabling();
  });
  connect(useFixedThickness_, &QCheckBox::toggled, this, [this](bool on) {
    model_.useFixedThickness = on;
    applyEnabling();
  });
  connect(recovery_, &QButtonGroup::idToggled, this, [this](int mode, bool on) {
    if (!on) return;
    model_.recoveryMode = mode;
    applyEnabling();
  });
}

QRadioButton* CSpecGravPageWidget::recoveryButton(int mode) const {
  return qobject_cast<QRadioButton*>(recovery_->button(mode));
}

QRadioButton* CSpecGravPageWidget::projectTypeButton(int type) const {
  return qobject_cast<QRadioButton*>(projectType_->button(type));
}

void CSpecGravPageWidget::loadFromModel() {
  const QSignalBlocker blockSG(useVariableSG_);
  const QSignalBlocker blockThickness(useFixedThickness_);
  const QSignalBlocker blockRecovery(recovery_);
  defaultSG_->setText(formatNumber(model_.defaultSG));
  useVariableSG_->setChecked(model_.useVariableSG);
  wasteSG_->setText(formatNumber(model_.defaultWasteSG));
  if (QAbstractButton* button = recovery_->button(model_.recoveryMode)) button->setChecked(true);
  fixedRecovery_->setText(formatNumber(model_.fixedRecovery));
  useFixedThickness_->setChecked(model_.useFixedThickness);
  fixedThickness_->setText(formatNumber(model_.fixedThickness));
  wasteThickness_->setText(formatNumber(model_.wasteThickness));
  if (QAbstractButton* button = projectType_->button(model_.projectType)) button->setChecked(true);

  const std::vector<std::string>& names = model_.variableNames();
  fillChooser(sgVariable_, names, model_.sgVariable);
  fillChooser(recoveryVariable_, names, model_.recoveryVariable);
  fillChooser(thicknessVariable_, names, model_.thicknessVariable);

  projectTypeGroup_->setVisible(model_.projectTypeVisible());
  applyEnabling();
}

bool CSpecGravPageWidget::storeToModel(UiPort* port) {
  if (!storeNumber(defaultSG_, model_.defaultSG, port)) return false;
  if (!storeNumber(wasteSG_, model_.defaultWasteSG, port)) return false;
  if (!storeNumber(fixedRecovery_, model_.fixedRecovery, port)) return false;
  if (!storeNumber(fixedThickness_, model_.fixedThickness, port)) return false;
  if (!storeNumber(wasteThickness_, model_.wasteThickness, port)) return false;
  model_.useVariableSG = useVariableSG_->isChecked();
  model_.useFixedThickness = useFixedThickness_->isChecked();
  if (recovery_->checkedId() >= 0) model_.recoveryMode = recovery_->checkedId();
  if (model_.projectTypeVisible() && projectType_->checkedId() >= 0) model_.projectType = projectType_->checkedId();
  storeChoice(sgVariable_, model_.sgVariable);
  storeChoice(recoveryVariable_, model_.recoveryVariable);
  storeChoice(thicknessVariable_, model_.thicknessVariable);
  return true;
}

void CSpecGravPageWidget::applyEnabling() {
  sgVariable_->setEnabled(model_.sgVariableEnabled());
  fixedRecovery_->setEnabled(model_.fixedRecoveryEnabled());
  recoveryVariable_->setEnabled(model_.recoveryVariableEnabled());
  fixedThickness_->setEnabled(model_.fixedThicknessEnabled());
  thicknessVariable_->setEnabled(model_.thicknessVariableEnabled());
  thicknessVariableLabel_->setEnabled(model_.thicknessVariableEnabled());
  wasteThickness_->setEnabled(model_.wasteThicknessEnabled());
}

}  // namespace qx
