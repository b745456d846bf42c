// Fuzz target of the project reader: any bytes either load as a whole project
// or fail with the one archive error; nothing crashes, leaks or allocates far
// beyond the input's size. A project that loads saves and loads again to the
// same bytes, and what `quarlex info` prints of it (text and JSON) is made
// without an error whatever bytes its names hold.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>

#include "app/project_file.h"
#include "cli/info.h"
#include "io/archive.h"
#include "port/silent_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qx::SilentPort port;
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

  // The strict dump throws on any text that is not UTF-8.
  std::ostringstream text;
  qx::cli::printProjectInfo(text, objects);
  try {
    (void)qx::cli::projectInfo(objects).dump(2);
  } catch (...) {
    std::abort();
  }
  return 0;
}
