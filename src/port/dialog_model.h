#pragma once
// Base classes of the dialog models. A model holds the working copy, the
// validation, the enabling rules and the exact texts of one dialog, page or
// sheet; the desktop binds widgets to it, the tests drive it directly.
#include <string>
#include <string_view>
#include <vector>

namespace qx {

class UiPort;

class DialogModel {
 public:
  virtual ~DialogModel() = default;
  // Stable name the desktop uses to pick the widget that shows this model.
  virtual std::string_view kind() const = 0;
  virtual std::string title() const = 0;
  // OK pressed: validate, possibly with a message through the port. False keeps the dialog open.
  virtual bool onOk(UiPort& /*port*/) { return true; }
};

// One page of a property sheet or wizard.
class PageModel : public DialogModel {
 public:
  // The page becomes the active one.
  virtual void onSetActive() {}
  // The page is about to be left (Next, Finish or OK). False keeps it active.
  virtual bool onKillActive(UiPort& port) { return onOk(port); }
};

class SheetModel {
 public:
  SheetModel(std::string title, bool wizard) : title_(std::move(title)), wizard_(wizard) {}
  virtual ~SheetModel() = default;
  const std::string& title() const { return title_; }
  bool isWizard() const { return wizard_; }
  const std::vector<PageModel*>& pages() const { return pages_; }
  void addPage(PageModel* page) { pages_.push_back(page); }

 private:
  std::string title_;
  bool wizard_ = false;
  std::vector<PageModel*> pages_;
};

}  // namespace qx
