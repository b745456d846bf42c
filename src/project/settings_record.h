#pragma once
// The settings' project-file record, the first after the version word.
#include "io/archive.h"
#include "project/quarlex_settings.h"

namespace qx {

// Default SG, default waste SG, sides, polygon size, first vertex angle,
// project type, dilution, overwrite, variable SG, recovery mode, fixed
// thickness switch, fixed thickness, waste thickness, the two variable counts,
// the loaded then the calculated variable records. The fixed recovery
// proportion and the run-time fields are not stored. Loading sizes the two
// lists from the counts (checked against the bytes left) before reading them;
// the data extents are recomputed by the caller, who holds the datasets.
void serializeSettings(Archive& ar, QuarlexSettings& s);

}  // namespace qx
