#pragma once
// A user-interface port for tests: answers from a script, records every text.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "port/dialog_model.h"
#include "port/ui_port.h"

namespace qx::test {

class ScriptedPort : public UiPort {
 public:
  // What the script does with a dialog or sheet: edit the model and return
  // true for OK/Finish, false for Cancel. OK in a dialog runs the model's own
  // checks; when they refuse, the dialog stays open and takes the next answer.
  using DialogAnswer = std::function<bool(DialogModel&)>;
  using SheetAnswer = std::function<bool(SheetModel&)>;

  // Answers, consumed in order. A question asked with no answer queued throws,
  // so an unexpected question fails the test.
  void answerMessage(MessageAnswer a) { messageAnswers_.push_back(a); }
  void answerFile(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }
  void answerDialog(DialogAnswer a) { dialogAnswers_.push_back(std::move(a)); }
  void answerSheet(SheetAnswer a) { sheetAnswers_.push_back(std::move(a)); }
  void answerColour(std::optional<ColorRef> c) { colourAnswers_.push_back(c); }
  void answerFolder(std::optional<std::string> f) { folderAnswers_.push_back(std::move(f)); }

  MessageAnswer message(std::string_view text, MessageButtons buttons, MessageIcon icon) override;
  std::optional<std::string> chooseFile(const FileDialogSpec& spec) override;
  bool runDialog(DialogModel& model) override;
  bool runSheet(SheetModel& sheet) override;
  std::optional<ColorRef> chooseColour(ColorRef initial) override;
  std::optional<std::string> browseFolder(std::string_view title, std::string_view initial) override;
  void beginWaitCursor() override;
  void endWaitCursor() override;
  std::unique_ptr<ProgressWindow> openProgress(ProgressKind kind) override;

  // Every message text shown, in order.
  const std::vector<std::string>& messages() const { return messages_; }
  // Everything that happened, one line per event: "message information ok: text",
  // "file open: title", "dialog: kind", "sheet: title", "progress title: ...",
  // "progress text: ...", "progress pos: 10", "wait on", "wait off", ...
  const std::vector<std::string>& log() const { return log_; }
  int waitDepth() const { return waitDepth_; }
  // Progress windows answer "cancel requested" from the n-th question on
  // (counted over every window; 0: never).
  void cancelProgressAt(int n) { cancelAt_ = n; }
  bool allAnswersUsed() const;
  void clearLog() {
    log_.clear();
    messages_.clear();
  }

 private:
  friend class RecordingProgress;
  int cancelAt_ = 0;
  int cancelQuestions_ = 0;
  std::deque<MessageAnswer> messageAnswers_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::deque<DialogAnswer> dialogAnswers_;
  std::deque<SheetAnswer> sheetAnswers_;
  std::deque<std::optional<ColorRef>> colourAnswers_;
  std::deque<std::optional<std::string>> folderAnswers_;
  std::vector<std::string> messages_;
  std::vector<std::string> log_;
  int waitDepth_ = 0;
};

}  // namespace qx::test
