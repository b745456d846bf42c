#pragma once
// The project state that the enabling rules of the commands read.
#include "app/commands.h"

namespace qx {

class CWQuarlexDoc;

// What the document's project holds now. Datasets that this build does not
// carry yet count as empty.
CommandContext commandContext(const CWQuarlexDoc& doc);

}  // namespace qx
