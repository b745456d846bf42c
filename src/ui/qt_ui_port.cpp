#include "ui/qt_ui_port.h"

#include <QApplication>
#include <QColor>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "port/dialog_model.h"
#include "ui/progress_dialogs.h"
#include "ui/qt_text.h"
#include "ui/sheet_dialogs.h"

namespace qx {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

// The answer for a box closed without a button (Escape or the close box).
MessageAnswer dismissAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: return MessageAnswer::Cancel;
  }
  return MessageAnswer::Cancel;
}

}  // namespace

QString toQtFilter(std::string_view filter) {
  const QStringList fields = qs(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
    QString name = fields[i].trimmed();
    if (name.isEmpty()) break;  // the "||" that ends the list
    QStringList patterns;
    for (const QString& p : fields[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString pattern = p.trimmed();
      patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    // The description carries its own patterns in parentheses; the dialog reads
    // them from there, so they are rewritten from the pattern field.
    const qsizetype open = name.lastIndexOf(QLatin1Char('('));
    if (open > 0 && name.endsWith(QLatin1Char(')'))) name = name.left(open).trimmed();
    entries << QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
  }
  return entries.join(QStringLiteral(";;"));
}

QColor toQColor(ColorRef colour) {
  return QColor(static_cast<int>(redOf(colour)), static_cast<int>(greenOf(colour)), static_cast<int>(blueOf(colour)));
}

ColorRef fromQColor(const QColor& colour) {
  return makeRgb(static_cast<unsigned>(colour.red()), static_cast<unsigned>(colour.green()),
                 static_cast<unsigned>(colour.blue()));
}

QString messageText(std::string_view text) {
  QString s = qs(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

QtUiPort::QtUiPort() { registerStandardWidgets(registry_); }

MessageAnswer QtUiPort::message(std::string_view text, MessageButtons buttons, MessageIcon icon) {
  QMessageBox box(toQtIcon(icon), QString::fromLatin1(kMessageCaption), messageText(text), toQtButtons(buttons),
                  parent_);
  const int pressed = box.exec();
  switch (pressed) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return dismissAnswer(buttons);
  }
}

QString QtUiPort::startFolder(std::string_view initialPath) const {
  const std::string project = currentProjectFolder();
  if (!initialPath.empty()) {
    const QFileInfo given(qs(initialPath));
    if (given.isAbsolute()) {
      if (given.isDir()) return given.absoluteFilePath();
      if (given.dir().exists()) return given.absolutePath();
    }
  }
  if (!lastFolder_.empty() && lastFolderProject_ == project && QFileInfo(qs(lastFolder_)).isDir())
    return qs(lastFolder_);
  if (!project.empty() && QFileInfo(qs(project)).isDir()) return QFileInfo(qs(project)).absoluteFilePath();
  return QDir::currentPath();
}

std::optional<std::string> QtUiPort::chooseFile(const FileDialogSpec& spec) {
  QFileDialog dialog(parent_, qs(spec.title));
  dialog.setAcceptMode(spec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(spec.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QString filter = toQtFilter(spec.filter);
  if (!filter.isEmpty()) dialog.setNameFilter(filter);
  if (!spec.defaultExtension.empty()) dialog.setDefaultSuffix(qs(spec.defaultExtension));
  const QString folder = startFolder(spec.initialPath);
  dialog.setDirectory(folder);
  const QFileInfo initial(qs(spec.initialPath));
  if (!spec.initialPath.empty() && !initial.isDir()) dialog.selectFile(QDir(folder).filePath(initial.fileName()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  lastChosen_ = dialog.selectedFiles().constFirst().toStdString();
  lastFolder_ = QFileInfo(dialog.selectedFiles().constFirst()).absolutePath().toStdString();
  lastFolderProject_ = currentProjectFolder();
  return lastChosen_;
}

void QtUiPort::reportMissingWidget(std::string_view title) {
  message("The window \"" + std::string(title) + "\" is not available in this version.", MessageButtons::Ok,
          MessageIcon::Warning);
}

QDialog* QtUiPort::makeDialog(DialogModel& model) {
  ModelWidget* widget = registry_.create(model, *this, nullptr);
  if (widget == nullptr) {
    reportMissingWidget(model.title());
    return nullptr;
  }
  return new CModelDialog(model, widget, *this, parent_);
}

QDialog* QtUiPort::makeSheet(SheetModel& sheet) {
  std::vector<BoundPage> pages;
  for (PageModel* page : sheet.pages()) {
    ModelWidget* widget = registry_.create(*page, *this, nullptr);
    if (widget == nullptr) {
      for (const BoundPage& made : pages) delete made.widget;
      reportMissingWidget(page->title());
      return nullptr;
    }
    pages.push_back({page, widget});
  }
  if (sheet.isWizard()) return new CWizardDlg(sheet, std::move(pages), *this, parent_);
  return new CPropertySheetDlg(sheet, std::move(pages), *this, parent_);
}

bool QtUiPort::runDialog(DialogModel& model) {
  std::unique_ptr<QDialog> dialog(makeDialog(model));
  return dialog != nullptr && dialog->exec() == QDialog::Accepted;
}

bool QtUiPort::runSheet(SheetModel& sheet) {
  std::unique_ptr<QDialog> dialog(makeSheet(sheet));
  return dialog != nullptr && dialog->exec() == QDialog::Accepted;
}

std::optional<ColorRef> QtUiPort::chooseColour(ColorRef initial) {
  const QColor chosen = QColorDialog::getColor(toQColor(initial), parent_);
  if (!chosen.isValid()) return std::nullopt;
  return fromQColor(chosen);
}

std::optional<std::string> QtUiPort::browseFolder(std::string_view title, std::string_view initial) {
  const QString folder = QFileDialog::getExistingDirectory(parent_, qs(title), startFolder(initial));
  if (folder.isEmpty()) return std::nullopt;
  lastFolder_ = folder.toStdString();
  lastFolderProject_ = currentProjectFolder();
  return folder.toStdString();
}

void QtUiPort::beginWaitCursor() {
  ++waitDepth_;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUiPort::endWaitCursor() {
  if (waitDepth_ == 0) return;
  --waitDepth_;
  QApplication::restoreOverrideCursor();
}

std::unique_ptr<ProgressWindow> QtUiPort::openProgress(ProgressKind kind) {
  // Owned by the caller, so never a child of a window that could delete it first.
  auto window = std::make_unique<CProgressDlg>(kind, nullptr);
  if (parent_ != nullptr) window->move(parent_->geometry().center() - window->rect().center());
  return window;
}

}  // namespace qx
