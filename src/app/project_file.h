#pragma once
// The project file: the version word and the records of the project objects
// in their fixed order, with the progress window's stages.
#include <cstdint>
#include <span>
#include <vector>

#include "app/project_objects.h"
#include "port/ui_port.h"

namespace qx {

inline constexpr std::int32_t kProjectFileVersion = 1000;

// The whole project as the bytes of its file. The progress bar steps five times.
std::vector<std::uint8_t> storeProject(ProjectObjects& objects, UiPort& port);

// Reads a whole project file into `objects` (a fresh set: nothing is reset
// first), stepping the progress bar six times. Throws ArchiveError naming
// what was being read when the file is short or malformed, or holds bytes
// after its last record.
void loadProject(std::span<const std::uint8_t> bytes, ProjectObjects& objects, UiPort& port);

// The data extents recomputed from the composites, envelopes, figures and polygons.
void recomputeDataExtents(ProjectObjects& objects);

}  // namespace qx
