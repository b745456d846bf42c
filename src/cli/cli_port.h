#pragma once
// The command-line tool's user-interface port: nothing is asked of a person.
// Messages go to stderr; questions take the answer the job gave, or the safe
// one (Cancel, No); file choices come from the job; progress shows as a bar
// when stderr is a terminal.
#include <deque>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>

#include "port/dialog_model.h"
#include "port/ui_port.h"

namespace qx::cli {

// Ctrl+C asks the running command to stop (its progress windows say so); a
// second Ctrl+C ends the process. requestInterrupt does what Ctrl+C does (tests).
void installInterruptHandler();
bool interruptRequested();
void requestInterrupt();

// A sheet whose page checks refused what the job gave (the message the page
// showed, e.g. "X Coordinate must have length > 0"): the job step fails.
struct PageRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class CliPort : public UiPort {
 public:
  using QuestionPolicy = std::function<MessageAnswer(std::string_view text, MessageButtons buttons)>;
  using DialogHandler = std::function<bool(DialogModel&)>;
  using SheetHandler = std::function<bool(SheetModel&)>;

  CliPort(std::ostream& err, bool terminal);

  void setQuestionPolicy(QuestionPolicy policy) { policy_ = std::move(policy); }
  void queueFile(std::string path) { files_.push_back(std::move(path)); }
  void queueDialog(DialogHandler h) { dialogs_.push_back(std::move(h)); }
  void queueSheet(SheetHandler h) { sheets_.push_back(std::move(h)); }
  void queueFolder(std::string path) { folders_.push_back(std::move(path)); }
  // What answers a dialog or sheet when nothing is queued for it.
  void setFallbackDialog(DialogHandler h) { fallbackDialog_ = std::move(h); }
  void setFallbackSheet(SheetHandler h) { fallbackSheet_ = std::move(h); }
  void clearQueues() {
    files_.clear();
    dialogs_.clear();
    sheets_.clear();
    folders_.clear();
  }
  // Messages shown so far (validation collects them as job errors).
  const std::vector<std::string>& messages() const { return messages_; }
  void setQuiet(bool quiet) { quiet_ = quiet; }

  MessageAnswer message(std::string_view text, MessageButtons buttons, MessageIcon icon) override;
  std::optional<std::string> chooseFile(const FileDialogSpec& spec) override;
  bool runDialog(DialogModel& model) override;
  bool runSheet(SheetModel& sheet) override;
  std::optional<ColorRef> chooseColour(ColorRef initial) override;
  std::optional<std::string> browseFolder(std::string_view title, std::string_view initial) override;
  void beginWaitCursor() override {}
  void endWaitCursor() override {}
  std::unique_ptr<ProgressWindow> openProgress(ProgressKind kind) override;

  // A message on one line: each line break ("\r\n" or "\n") becomes a blank.
  static std::string oneLine(std::string_view text);

 private:
  std::ostream& err_;
  bool terminal_ = false;
  bool quiet_ = false;
  QuestionPolicy policy_;
  std::deque<std::string> files_;
  std::deque<DialogHandler> dialogs_;
  std::deque<SheetHandler> sheets_;
  std::deque<std::string> folders_;
  DialogHandler fallbackDialog_;
  SheetHandler fallbackSheet_;
  std::vector<std::string> messages_;
};

}  // namespace qx::cli
