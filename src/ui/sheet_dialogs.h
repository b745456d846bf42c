#pragma once
// The three frames around model widgets: a modal dialog with OK and Cancel,
// a property sheet (one tab per page, OK and Cancel) and a wizard (Back, Next,
// Finish). Pages are told when they become active and asked before they are
// left; a page that refuses stays active.
#include <QDialog>
#include <QWizard>
#include <QWizardPage>
#include <vector>

class QTabWidget;

namespace qx {

class DialogModel;
class ModelWidget;
class PageModel;
class SheetModel;
class UiPort;
class WidgetRegistry;

class CModelDialog : public QDialog {
  Q_OBJECT

 public:
  // Takes `widget`, already bound to `model`.
  CModelDialog(DialogModel& model, ModelWidget* widget, UiPort& port, QWidget* parent = nullptr);
  ModelWidget* modelWidget() const { return widget_; }

  // OK: the controls are stored and the model validates; a refusal keeps the dialog open.
  void accept() override;

 private:
  DialogModel& model_;
  ModelWidget* widget_;
  UiPort& port_;
};

struct BoundPage {
  PageModel* model = nullptr;
  ModelWidget* widget = nullptr;
};

class CPropertySheetDlg : public QDialog {
  Q_OBJECT

 public:
  // `pages` are bound to the sheet's pages in order; the dialog takes the widgets.
  CPropertySheetDlg(SheetModel& sheet, std::vector<BoundPage> pages, UiPort& port, QWidget* parent = nullptr);

  int activePage() const { return active_; }
  // Makes page `index` the active one, as a click on its tab does; false when
  // the page being left refuses.
  bool setActivePage(int index);
  const std::vector<BoundPage>& pages() const { return pages_; }

  void accept() override;

 private:
  void onTabChanged(int index);
  bool leave(int index);
  void activate(int index);

  std::vector<BoundPage> pages_;
  UiPort& port_;
  QTabWidget* tabs_ = nullptr;
  int active_ = -1;
  bool switching_ = false;
};

class CModelWizardPage : public QWizardPage {
  Q_OBJECT

 public:
  CModelWizardPage(BoundPage page, UiPort& port, QWidget* parent = nullptr);
  const BoundPage& bound() const { return page_; }

  // Next and Finish: the controls are stored and the page may refuse.
  bool validatePage() override;
  // Back: the controls are kept in the model without questions.
  void cleanupPage() override;

 private:
  BoundPage page_;
  UiPort& port_;
};

class CWizardDlg : public QWizard {
  Q_OBJECT

 public:
  CWizardDlg(SheetModel& sheet, std::vector<BoundPage> pages, UiPort& port, QWidget* parent = nullptr);

 private:
  void onPageShown(int id);
};

}  // namespace qx
