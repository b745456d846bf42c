#pragma once
// The status-bar line of a command that ends without a message box of its
// own: what it did, from its result ("2,353 polygons generated", "Figure
// report written to /data/pit.rpt").
#include <string>
#include <string_view>

#include "app/command_result.h"
#include "app/commands.h"

namespace qx {

// A count with a comma between thousands, whatever the locale: "2,353".
std::string groupedCount(long long count);

// The line for `id` after it returned `result`; `file` is the file chosen in
// the command's file dialog (empty when it asked for none). Empty when the
// command was cancelled or failed (its own message has said why) and for
// commands that say nothing.
std::string commandMessage(CommandId id, const CommandResult& result, std::string_view file);

}  // namespace qx
