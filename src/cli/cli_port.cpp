#include "cli/cli_port.h"

#include "port/silent_port.h"

#include <algorithm>
#include <csignal>
#include <ostream>

namespace qx::cli {

namespace {

// A bar on one terminal line, redrawn in place.
class TerminalProgress : public ProgressWindow {
 public:
  explicit TerminalProgress(std::ostream& err) : err_(err) {}
  ~TerminalProgress() override {
    if (drawn_) err_ << "\r\033[K" << std::flush;
  }
  void setTitle(std::string_view t) override {
    title_ = t;
    draw();
  }
  void setText(std::string_view t) override {
    text_ = t;
    draw();
  }
  void setRange(int lo, int hi) override {
    lo_ = lo;
    hi_ = std::max(lo + 1, hi);
    draw();
  }
  void setStep(int) override {}
  void setPos(int p) override {
    pos_ = p;
    draw();
  }

 private:
  void draw() {
    constexpr int kWidth = 30;
    const int filled = std::clamp((pos_ - lo_) * kWidth / (hi_ - lo_), 0, kWidth);
    err_ << "\r\033[K[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << title_
         << (title_.empty() || text_.empty() ? "" : ": ") << text_ << std::flush;
    drawn_ = true;
  }
  std::ostream& err_;
  std::string title_, text_;
  int lo_ = 0, hi_ = 100, pos_ = 0;
  bool drawn_ = false;
};

template <typename T>
std::optional<T> takeFront(std::deque<T>& q) {
  if (q.empty()) return std::nullopt;
  T v = std::move(q.front());
  q.pop_front();
  return v;
}

}  // namespace

CliPort::CliPort(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}

std::string CliPort::oneLine(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\n' ? ' ' : text[i];
  }
  return out;
}

MessageAnswer CliPort::message(std::string_view text, MessageButtons buttons, MessageIcon icon) {
  messages_.emplace_back(text);
  MessageAnswer answer = MessageAnswer::Ok;
  if (buttons != MessageButtons::Ok) {
    if (policy_) {
      answer = policy_(text, buttons);
    } else {
      answer = (buttons == MessageButtons::OkCancel) ? MessageAnswer::Cancel : MessageAnswer::No;
    }
  }
  if (!quiet_) {
    const char* kind = icon == MessageIcon::Error ? "error: " : icon == MessageIcon::Warning ? "warning: " : "";
    err_ << "quarlex: " << kind << oneLine(text);
    if (buttons != MessageButtons::Ok) err_ << " [answered " << toString(answer) << "]";
    err_ << '\n';
  }
  return answer;
}

std::optional<std::string> CliPort::chooseFile(const FileDialogSpec&) { return takeFront(files_); }

bool CliPort::runDialog(DialogModel& model) {
  auto h = takeFront(dialogs_);
  if (h) return (*h)(model);
  return fallbackDialog_ ? fallbackDialog_(model) : false;
}

bool CliPort::runSheet(SheetModel& sheet) {
  auto h = takeFront(sheets_);
  const bool finished = h ? (*h)(sheet) : (fallbackSheet_ ? fallbackSheet_(sheet) : false);
  if (!finished) return false;
  // Finish runs every page's checks, as it does in the desktop, so a job can
  // give nothing that the pages would refuse a person.
  const std::size_t shown = messages_.size();
  for (PageModel* page : sheet.pages())
    if (!page->onKillActive(*this))
      throw PageRefused(messages_.size() > shown ? oneLine(messages_.back()) : sheet.title() + " refused the answers");
  return true;
}

std::optional<ColorRef> CliPort::chooseColour(ColorRef) { return std::nullopt; }

std::optional<std::string> CliPort::browseFolder(std::string_view, std::string_view) { return takeFront(folders_); }

namespace {

// Ctrl+C: the signal handler can only set a flag of the process; the long
// operation asks for it through its progress window and stops cleanly. A
// second Ctrl+C ends the process as usual.
volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void onInterrupt(int) {
  gInterrupted = 1;
  std::signal(SIGINT, SIG_DFL);
}

// Any progress window of quarlex, answering Ctrl+C as its Cancel button.
class InterruptibleProgress : public ProgressWindow {
 public:
  explicit InterruptibleProgress(std::unique_ptr<ProgressWindow> inner) : inner_(std::move(inner)) {}
  void setTitle(std::string_view t) override { inner_->setTitle(t); }
  void setText(std::string_view t) override { inner_->setText(t); }
  void setRange(int lo, int hi) override { inner_->setRange(lo, hi); }
  void setStep(int s) override { inner_->setStep(s); }
  void setPos(int p) override { inner_->setPos(p); }
  bool cancelRequested() override { return interruptRequested(); }

 private:
  std::unique_ptr<ProgressWindow> inner_;
};

}  // namespace

void installInterruptHandler() { std::signal(SIGINT, onInterrupt); }
bool interruptRequested() { return gInterrupted != 0; }
void requestInterrupt() { gInterrupted = 1; }

std::unique_ptr<ProgressWindow> CliPort::openProgress(ProgressKind) {
  if (terminal_ && !quiet_) return std::make_unique<InterruptibleProgress>(std::make_unique<TerminalProgress>(err_));
  return std::make_unique<InterruptibleProgress>(std::make_unique<SilentProgress>());
}

}  // namespace qx::cli
