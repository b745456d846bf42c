#include "ui/data_fields_widget.h"
#include "ui/qt_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "variables/field_name_entry.h"

namespace qx {

CFieldNameEntryWidget::CFieldNameEntryWidget(CFieldNameEntry& model, UiPort& port, QWidget* parent)
    : ModelWidget(parent), model_(model), port_(port) {
  list_ = new QTreeWidget(this);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setAllColumnsShowFocus(true);
  const auto& columns = CFieldNameEntry::columns();
  list_->setColumnCount(static_cast<int>(columns.size()));
  QStringList headers;
  for (const ListColumn& column : columns) headers << qs(column.title);
  list_->setHeaderLabels(headers);
  list_->header()->setStretchLastSection(false);
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    list_->setColumnWidth(i, columns[static_cast<size_t>(i)].width);
  }
  list_->setMinimumWidth(540);

  add_ = new QPushButton(QStringLiteral("&Add"), this);
  edit_ = new QPushButton(QStringLiteral("&Edit"), this);
  remove_ = new QPushButton(QStringLiteral("&Remove"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(add_);
  buttons->addWidget(edit_);
  buttons->addWidget(remove_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);

  connect(list_, &QTreeWidget::itemSelectionChanged, this, &CFieldNameEntryWidget::onSelectionChanged);
  connect(add_, &QPushButton::clicked, this, [this] { runAction(&CFieldNameEntry::add); });
  connect(edit_, &QPushButton::clicked, this, [this] { runAction(&CFieldNameEntry::edit); });
  connect(remove_, &QPushButton::clicked, this, [this] { runAction(&CFieldNameEntry::remove); });
}

void CFieldNameEntryWidget::loadFromModel() {
  filling_ = true;
  list_->clear();
  for (const CFieldNameEntry::ListLine& line : model_.lines()) {
    QStringList texts;
    for (const std::string& text : line) texts << qs(text);
    list_->addTopLevelItem(new QTreeWidgetItem(texts));
  }
  const int selected = model_.selected();
  if (selected >= 0 && selected < list_->topLevelItemCount()) {
    list_->setCurrentItem(list_->topLevelItem(selected));
  } else {
    list_->clearSelection();
    list_->setCurrentItem(nullptr);
  }
  filling_ = false;
}

bool CFieldNameEntryWidget::storeToModel(UiPort* /*port*/) { return true; }

void CFieldNameEntryWidget::onSelectionChanged() {
  if (filling_) return;
  const QList<QTreeWidgetItem*> items = list_->selectedItems();
  model_.select(items.isEmpty() ? -1 : list_->indexOfTopLevelItem(items.constFirst()));
}

void CFieldNameEntryWidget::runAction(bool (CFieldNameEntry::*action)(UiPort&)) {
  if ((model_.*action)(port_)) loadFromModel();
}

}  // namespace qx
