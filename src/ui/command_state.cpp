#include "ui/command_state.h"

#include "app/document.h"

namespace qx {

CommandContext commandContext(const CWQuarlexDoc& doc) {
  CommandContext context;
  context.loadedVariables = doc.objects().settings.loadedCount();
  return context;
}

}  // namespace qx
