// The "create_figure" and "create_envelope" steps: a line of plan points
// digitized through the editing tools, with the job's answers to the tools'
// dialogs.
#include <algorithm>
#include <cstdio>
#include <ostream>

#include "app/document.h"
#include "cli/cli_port.h"
#include "cli/job.h"
#include "cli/job_steps.h"
#include "datasets/envelope_dialogs.h"
#include "engine/figure_dialogs.h"
#include "scene/edit_tools.h"

namespace qx::cli {

namespace {

std::vector<DPoint3D> planPoints(JobObject& o) {
  const nlohmann::json& list = o.require("points");
  const std::string at = o.keyPath("points");
  if (!list.is_array() || list.size() < 3)
    throw JobError(at, "expected a list of at least 3 points [x, y] or [x, y, z]");
  std::vector<DPoint3D> points;
  for (const auto& p : list) {
    if (!p.is_array() || p.size() < 2 || p.size() > 3 ||
        !std::all_of(p.begin(), p.end(), [](const auto& v) { return v.is_number(); }))
      throw JobError(at, "expected a list of at least 3 points [x, y] or [x, y, z]");
    points.push_back({p[0].get<double>(), p[1].get<double>(), p.size() == 3 ? p[2].get<double>() : 0.0});
  }
  return points;
}

std::string requiredName(JobObject& o) {
  const auto name = o.string("name");
  if (!name || name->empty()) throw JobError(o.keyPath("name"), "missing");
  return *name;
}

// The tool, every point, then Accept, through the document as the desktop does.
void digitize(CWQuarlexDoc& doc, EditCommand tool, const std::vector<DPoint3D>& points, CliPort& port) {
  if (!doc.onEditCommand(tool))
    throw PageRefused(port.messages().empty() ? "the tool refused" : CliPort::oneLine(port.messages().back()));
  for (const DPoint3D& p : points) doc.editTools().addPoint(p);
  const std::size_t shown = port.messages().size();
  if (!doc.onEditCommand(EditCommand::Accept))
    throw PageRefused(port.messages().size() > shown ? CliPort::oneLine(port.messages().back())
                                                     : "the dialog refused the answers");
}

// A dialog answered by `fill`, then its own checks.
template <typename Model, typename Fill>
void answer(CliPort& port, Fill fill) {
  port.queueDialog([&port, fill](DialogModel& m) {
    auto* model = dynamic_cast<Model*>(&m);
    if (model == nullptr) return false;
    fill(*model);
    return model->onOk(port);
  });
}

std::string fixed2(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

}  // namespace

Step parseCreateFigure(JobObject& o, const std::filesystem::path&) {
  CreateFigureStep s;
  s.name = requiredName(o);
  s.points = planPoints(o);
  return s;
}

Step parseCreateEnvelope(JobObject& o, const std::filesystem::path&) {
  CreateEnvelopeStep s;
  s.name = requiredName(o);
  s.points = planPoints(o);
  s.density = o.number("density");
  if (const auto colour = o.string("colour")) {
    s.colour = parseColour(*colour);
    if (!s.colour) throw JobError(o.keyPath("colour"), "expected a colour \"#rrggbb\", found \"" + *colour + "\"");
  }
  s.merge = o.boolean("merge").value_or(false);
  return s;
}

void runCreateFigure(const CreateFigureStep& s, CWQuarlexDoc& doc, CliPort& port, std::ostream& out) {
  answer<CFigurePropertiesDialog>(port, [&s](CFigurePropertiesDialog& d) { d.setName(s.name); });
  digitize(doc, EditCommand::CreateFigure, s.points, port);
  const Figure& f = doc.objects().figures.figures.back();
  out << "Figure " << f.name << ": area " << fixed2(f.area) << ", ore tonnage " << fixed2(f.oreTonnage) << '\n';
}

void runCreateEnvelope(const CreateEnvelopeStep& s, CWQuarlexDoc& doc, CliPort& port, std::ostream& out) {
  port.setQuestionPolicy(
      [&s](std::string_view, MessageButtons) { return s.merge ? MessageAnswer::Ok : MessageAnswer::Cancel; });
  answer<CCreateEnvelopeDialog>(port, [&s](CCreateEnvelopeDialog& d) {
    d.setName(s.name);
    if (s.density) d.setDensity(*s.density);
    if (s.colour) d.setColour(*s.colour);
  });
  digitize(doc, EditCommand::CreateEnvelope, s.points, port);
  const EnvelopeSet& set = doc.objects().envelopes;
  const int i = set.findByName(s.name);
  const Envelope& e = set.envelopes[static_cast<std::size_t>(i >= 0 ? i : set.count() - 1)];
  out << "Envelope " << e.name << ": " << e.contours.size() << " contours\n";
}

}  // namespace qx::cli
