#pragma once
// A port that shows nothing and answers every question with the safe answer
// (Cancel): for fuzz targets, benchmarks and batch code that must not ask.
#include "port/ui_port.h"

namespace qx {

class SilentProgress : public ProgressWindow {
 public:
  void setTitle(std::string_view) override {}
  void setText(std::string_view) override {}
  void setRange(int, int) override {}
  void setStep(int) override {}
  void setPos(int) override {}
};

class SilentPort : public UiPort {
 public:
  MessageAnswer message(std::string_view, MessageButtons buttons, MessageIcon) override {
    ++messages;
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
  }
  std::optional<std::string> chooseFile(const FileDialogSpec&) override { return std::nullopt; }
  bool runDialog(DialogModel&) override { return false; }
  bool runSheet(SheetModel&) override { return false; }
  std::optional<ColorRef> chooseColour(ColorRef) override { return std::nullopt; }
  std::optional<std::string> browseFolder(std::string_view, std::string_view) override { return std::nullopt; }
  void beginWaitCursor() override {}
  void endWaitCursor() override {}
  std::unique_ptr<ProgressWindow> openProgress(ProgressKind) override { return std::make_unique<SilentProgress>(); }

  int messages = 0;  // how many messages were not shown
};

}  // namespace qx
