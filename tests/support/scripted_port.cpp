#include "scripted_port.h"

#include <stdexcept>

namespace qx::test {

namespace {
template <typename T>
T take(std::deque<T>& q, const std::string& what) {
  if (q.empty()) throw std::logic_error("scripted port: no answer queued for " + what);
  T v = std::move(q.front());
  q.pop_front();
  return v;
}
}  // namespace

class RecordingProgress : public ProgressWindow {
 public:
  RecordingProgress(ScriptedPort& port, ProgressKind kind) : port_(port) {
    port_.log_.push_back(kind == ProgressKind::Bar ? "progress open bar" : "progress open text");
  }
  ~RecordingProgress() override { port_.log_.push_back("progress close"); }
  void setTitle(std::string_view t) override { port_.log_.push_back("progress title: " + std::string(t)); }
  void setText(std::string_view t) override { port_.log_.push_back("progress text: " + std::string(t)); }
  void setRange(int lo, int hi) override {
    port_.log_.push_back("progress range: " + std::to_string(lo) + " " + std::to_string(hi));
  }
  void setStep(int s) override { port_.log_.push_back("progress step: " + std::to_string(s)); }
  void setPos(int p) override { port_.log_.push_back("progress pos: " + std::to_string(p)); }
  void enableCancel() override { port_.log_.push_back("progress cancel button"); }
  bool cancelRequested() override { return port_.cancelAt_ > 0 && ++port_.cancelQuestions_ >= port_.cancelAt_; }

 private:
  ScriptedPort& port_;
};

MessageAnswer ScriptedPort::message(std::string_view text, MessageButtons buttons, MessageIcon icon) {
  messages_.emplace_back(text);
  MessageAnswer answer = MessageAnswer::Ok;
  if (buttons != MessageButtons::Ok) answer = take(messageAnswers_, "message \"" + std::string(text) + "\"");
  log_.push_back("message " + std::string(toString(icon)) + " " + std::string(toString(buttons)) + " -> " +
                 std::string(toString(answer)) + ": " + std::string(text));
  return answer;
}

std::optional<std::string> ScriptedPort::chooseFile(const FileDialogSpec& spec) {
  log_.push_back(std::string(spec.save ? "file save: " : "file open: ") + spec.title + " [" + spec.filter + "]");
  return take(fileAnswers_, "file dialog " + spec.title);
}

bool ScriptedPort::runDialog(DialogModel& model) {
  log_.push_back("dialog " + std::string(model.kind()) + ": " + model.title());
  // Like the real dialog: OK runs the model's checks, and a refusal keeps the
  // dialog open for the next answer.
  for (;;) {
    auto answer = take(dialogAnswers_, "dialog " + std::string(model.kind()));
    if (!answer(model)) return false;
    if (model.onOk(*this)) return true;
    log_.push_back("dialog stays open");
  }
}

bool ScriptedPort::runSheet(SheetModel& sheet) {
  log_.push_back(std::string(sheet.isWizard() ? "wizard: " : "sheet: ") + sheet.title());
  auto answer = take(sheetAnswers_, "sheet " + sheet.title());
  return answer(sheet);
}

std::optional<ColorRef> ScriptedPort::chooseColour(ColorRef initial) {
  log_.push_back("colour " + std::to_string(initial));
  return take(colourAnswers_, "colour chooser");
}

std::optional<std::string> ScriptedPort::browseFolder(std::string_view title, std::string_view initial) {
  log_.push_back("folder: " + std::string(title) + " [" + std::string(initial) + "]");
  return take(folderAnswers_, "folder browser");
}

void ScriptedPort::beginWaitCursor() {
  ++waitDepth_;
  log_.push_back("wait on");
}

void ScriptedPort::endWaitCursor() {
  --waitDepth_;
  log_.push_back("wait off");
}

std::unique_ptr<ProgressWindow> ScriptedPort::openProgress(ProgressKind kind) {
  return std::make_unique<RecordingProgress>(*this, kind);
}

bool ScriptedPort::allAnswersUsed() const {
  return messageAnswers_.empty() && fileAnswers_.empty() && dialogAnswers_.empty() && sheetAnswers_.empty() &&
         colourAnswers_.empty() && folderAnswers_.empty();
}

}  // namespace qx::test
