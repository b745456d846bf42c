#pragma once
// The modeless "Information" window: a list box with the lines of the picks'
// history (app/information.h), the newest pick at the bottom.
#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

namespace qx {

class CInformationDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CInformationDlg(QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  // Empties the list box and fills it with `lines`.
  void showLines(const std::vector<std::string>& lines);
  // Selects the last line and scrolls to it.
  void selectLastLine();

 signals:
  // Shown or hidden, by the command or by the window's own close button.
  void visibilityChanged(bool shown);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QListWidget* list_ = nullptr;
};

}  // namespace qx
