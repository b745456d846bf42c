#pragma once
// The two progress windows: a bar with one line of text under it, or one line
// of text. Modeless, visible from creation, painted after every update.
#include <QDialog>

#include "port/ui_port.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace qx {

class CProgressDlg : public QDialog, public ProgressWindow {
  Q_OBJECT

 public:
  CProgressDlg(ProgressKind kind, QWidget* parent = nullptr);

  void setTitle(std::string_view title) override;
  void setText(std::string_view text) override;
  void setRange(int lower, int upper) override;
  void setStep(int step) override;
  void setPos(int pos) override;
  // A Cancel button; the window then takes the input of the application
  // (nothing else can be clicked while the operation runs).
  void enableCancel() override;
  bool cancelRequested() override;

  QProgressBar* bar() const { return bar_; }  // nullptr for a text window
  QLabel* label() const { return label_; }
  QPushButton* cancelButton() const { return cancel_; }
  int step() const { return step_; }

 private:
  void repaintNow();

  QProgressBar* bar_ = nullptr;
  QLabel* label_ = nullptr;
  int step_ = 10;
  QPushButton* cancel_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace qx
