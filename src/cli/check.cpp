#include "cli/check.h"

#include <ostream>

#include "app/document.h"
#include "app/project_objects.h"
#include "app/results_dialogs.h"
#include "cli/cli_port.h"
#include "io/text_encoding.h"

namespace qx::cli {

using nlohmann::ordered_json;

ordered_json dataChecksJson(const std::vector<DataCheck>& checks) {
  ordered_json list = ordered_json::array();
  for (const auto& c : checks) {
    ordered_json j;
    j["name"] = displayText(c.name);
    j["level"] = checkLevelName(c.level);
    j["count"] = c.count;
    ordered_json items = ordered_json::array();
    for (const auto& item : c.items) items.push_back(displayText(item));
    j["items"] = items;
    list.push_back(j);
  }
  ordered_json out;
  out["checks"] = list;
  return out;
}

void printDataChecks(std::ostream& out, const std::vector<DataCheck>& checks) { out << dataChecksText(checks); }

int runCheck(const std::filesystem::path& file, bool json, double tolerance, std::ostream& out, std::ostream& err,
             CheckPercentiles percentiles) {
  if (!(percentiles.low < percentiles.high)) {
    err << "quarlex: --percentiles: the low percentile must be below the high one\n";
    return 2;
  }
  CliPort port(err, false);
  port.setQuiet(true);
  ProjectObjects o;
  CWQuarlexDoc doc(o, port);
  if (!doc.onOpenDocument(file.string())) {
    err << "quarlex: "
        << CliPort::oneLine(port.messages().empty() ? "cannot open " + file.string() : port.messages().back()) << "\n";
    return 2;
  }
  const std::vector<DataCheck> checks =
      runDataChecks({o.composites, o.settings, o.envelopes, o.figures, o.polygons}, tolerance, percentiles);
  if (json)
    out << dataChecksJson(checks).dump(2, ' ', false, ordered_json::error_handler_t::replace) << "\n";
  else
    printDataChecks(out, checks);
  return dataChecksFailed(checks) ? 1 : 0;
}

}  // namespace qx::cli
