// Fuzz target of the project reader: any bytes either load as a whole project
// or fail with the one archive error; nothing crashes, leaks or allocates far
// beyond the input's size. A project that loads saves and loads again to the
// same bytes.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "app/project_file.h"
#include "io/archive.h"

namespace {

class SilentPort : public qx::UiPort {
 public:
  qx::MessageAnswer message(std::string_view, qx::MessageButtons, qx::MessageIcon) override {
    return qx::MessageAnswer::Cancel;
  }
  std::optional<std::string> chooseFile(const qx::FileDialogSpec&) override { return std::nullopt; }
  bool runDialog(qx::DialogModel&) override { return false; }
  bool runSheet(qx::SheetModel&) override { return false; }
  std::optional<qx::ColorRef> chooseColour(qx::ColorRef) override { return std::nullopt; }
  std::optional<std::string> browseFolder(std::string_view, std::string_view) override { return std::nullopt; }
  void beginWaitCursor() override {}
  void endWaitCursor() override {}
  std::unique_ptr<qx::ProgressWindow> openProgress(qx::ProgressKind) override {
    struct Silent : qx::ProgressWindow {
      void setTitle(std::string_view) override {}
      void setText(std::string_view) override {}
      void setRange(int, int) override {}
      void setStep(int) override {}
      void setPos(int) override {}
    };
    return std::make_unique<Silent>();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SilentPort port;
  qx::ProjectObjects objects;
  try {
    qx::loadProject(std::span(data, size), objects, port);
  } catch (const qx::ArchiveError&) {
    return 0;
  }
  // Loaded whole: saving gives a file that loads to the same bytes again.
  const std::vector<std::uint8_t> first = qx::storeProject(objects, port);
  qx::ProjectObjects again;
  qx::loadProject(first, again, port);
  if (qx::storeProject(again, port) != first) std::abort();
  return 0;
}
