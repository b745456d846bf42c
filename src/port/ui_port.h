#pragma once
// The user-interface port. Core flows call it step by step; the desktop
// answers with real dialogs, the command-line tool from the job file, and the
// tests with scripted answers that record every text shown.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/types.h"

namespace qx {

class DialogModel;
class SheetModel;

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

std::string_view toString(MessageIcon icon);
std::string_view toString(MessageButtons buttons);
std::string_view toString(MessageAnswer answer);

struct FileDialogSpec {
  bool save = false;             // save dialog when true, open dialog otherwise
  std::string title;             // empty: the platform's default title
  std::string filter;            // "Composite Files (*.dat;*.cmp)|*.dat;*.cmp|All Files (*.*)|*.*||"
  std::string defaultExtension;  // without the dot
  std::string initialPath;       // file or folder to start from
};

// A modeless progress window, updated synchronously by the operation.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void setTitle(std::string_view title) = 0;
  virtual void setText(std::string_view text) = 0;
  virtual void setRange(int lower, int upper) = 0;
  virtual void setStep(int step) = 0;
  virtual void setPos(int pos) = 0;
  // Long operations that can stop cleanly offer a Cancel button (in quarlex:
  // Ctrl+C) and ask from time to time whether it was pressed; the operation
  // then leaves the project as it was before the command.
  virtual void enableCancel() {}
  virtual bool cancelRequested() { return false; }
};

enum class ProgressKind {
  Bar,   // a bar with one line of text under it
  Text,  // one line of text
};

class UiPort {
 public:
  virtual ~UiPort() = default;

  // A modal message box; returns the button pressed.
  virtual MessageAnswer message(std::string_view text, MessageButtons buttons = MessageButtons::Ok,
                                MessageIcon icon = MessageIcon::Information) = 0;
  // An open or save file dialog; nullopt when cancelled.
  virtual std::optional<std::string> chooseFile(const FileDialogSpec& spec) = 0;
  // A modal dialog bound to its model; true on OK.
  virtual bool runDialog(DialogModel& model) = 0;
  // A property sheet or wizard; true on OK or Finish.
  virtual bool runSheet(SheetModel& sheet) = 0;
  // The colour chooser; nullopt when cancelled.
  virtual std::optional<ColorRef> chooseColour(ColorRef initial) = 0;
  // The folder browser; nullopt when cancelled.
  virtual std::optional<std::string> browseFolder(std::string_view title, std::string_view initial) = 0;
  // The wait cursor, shown while long operations run without a progress window.
  virtual void beginWaitCursor() = 0;
  virtual void endWaitCursor() = 0;
  // A progress window, shown until the returned object is destroyed.
  virtual std::unique_ptr<ProgressWindow> openProgress(ProgressKind kind) = 0;
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
 public:
  explicit WaitCursor(UiPort& port) : port_(port) { port_.beginWaitCursor(); }
  ~WaitCursor() { port_.endWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  UiPort& port_;
};

}  // namespace qx
