#pragma once
// The two progress windows that long operations show. Created visible,
// updated synchronously, gone when the object is destroyed.
#include <memory>
#include <string>
#include <string_view>

#include "port/ui_port.h"

namespace qx {

// A bar of range 0 to 50 in steps of 10 with one line of text under it:
// five stages fill it; further steps leave it full.
class CProgressBar {
 public:
  static constexpr int kLower = 0;
  static constexpr int kUpper = 50;
  static constexpr int kStep = 10;

  explicit CProgressBar(UiPort& port);
  void setTitle(std::string_view title);
  // Assign the text and push it to the window.
  void setText(std::string_view text);
  void stepIt();
  void enableCancel() { window_->enableCancel(); }
  bool cancelRequested() { return window_->cancelRequested(); }
  int pos() const { return pos_; }
  const std::string& text() const { return text_; }

 private:
  std::unique_ptr<ProgressWindow> window_;
  std::string text_;
  int pos_ = kLower;
};

// One line of text ("progress description").
class CProgressTextDlg {
 public:
  explicit CProgressTextDlg(UiPort& port);
  void setTitle(std::string_view title);
  void setText(std::string_view text);
  void enableCancel() { window_->enableCancel(); }
  bool cancelRequested() { return window_->cancelRequested(); }
  const std::string& text() const { return text_; }

 private:
  std::unique_ptr<ProgressWindow> window_;
  std::string text_;
};

}  // namespace qx
