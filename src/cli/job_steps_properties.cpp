// The steps that work through the property sheets: "properties" (rename and
// delete envelopes, surfaces and figures; the figures' dilution) and
// "display" (the switches of "Display Settings" and the composites' markers).
#include <algorithm>
#include <ostream>

#include "app/document.h"
#include "cli/cli_port.h"
#include "cli/job.h"
#include "cli/job_steps.h"
#include "datasets/color_table_page.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/surfaces.h"
#include "engine/figure_dialogs.h"
#include "scene/view_controller.h"

namespace qx::cli {

namespace {

using Kind = PropertiesStep::Kind;
constexpr const char* kKindKeys[] = {"envelope", "surface", "figure"};

// {"envelope": "ORE"} (or "surface", "figure"), with "to" for a rename.
PropertiesStep::Item readItem(const nlohmann::json& v, const std::string& path, bool rename) {
  JobObject o(v, path);
  PropertiesStep::Item item;
  int found = 0;
  for (int k = 0; k < 3; ++k) {
    if (auto name = o.string(kKindKeys[k])) {
      item.kind = static_cast<Kind>(k);
      item.name = *name;
      ++found;
    }
  }
  if (found != 1) throw JobError(path, "expected one of \"envelope\", \"surface\" or \"figure\"");
  if (rename) {
    if (!o.has("to")) throw JobError(o.keyPath("to"), "missing");
    item.to = *o.string("to");
  }
  o.finish();
  return item;
}

std::vector<PropertiesStep::Item> readItems(JobObject& o, const char* key, bool rename) {
  std::vector<PropertiesStep::Item> items;
  const nlohmann::json* list = o.find(key);
  if (list == nullptr) return items;
  if (!list->is_array()) throw JobError(o.keyPath(key), "expected a list");
  for (std::size_t i = 0; i < list->size(); ++i)
    items.push_back(readItem((*list)[i], o.keyPath(key) + "[" + std::to_string(i) + "]", rename));
  return items;
}

std::optional<int> indexKey(JobObject& o, const char* key, int last) {
  const nlohmann::json* v = o.find(key);
  if (v == nullptr) return std::nullopt;
  if (!v->is_number_integer() || v->get<int>() < 0 || v->get<int>() > last)
    throw JobError(o.keyPath(key), "expected a whole number from 0 to " + std::to_string(last));
  return v->get<int>();
}

// Selects the item of that name on the page, or fails the step.
void selectByName(ItemPropertiesPage& page, const PropertiesStep::Item& item) {
  const auto& items = page.items();
  const auto it =
      std::find_if(items.begin(), items.end(), [&](const ItemProperties& p) { return p.name == item.name; });
  if (it == items.end())
    throw PageRefused("no " + std::string(kKindKeys[static_cast<int>(item.kind)]) + " is named \"" + item.name + "\"");
  page.select(static_cast<int>(it - items.begin()));
}

// The renames and deletes of one kind, on its page, as a person would do them.
void actOnPage(ItemPropertiesPage& page, Kind kind, const PropertiesStep& s, CliPort& port) {
  for (const auto& r : s.renames) {
    if (r.kind != kind) continue;
    selectByName(page, r);
    const std::size_t shown = port.messages().size();
    port.setFallbackDialog([&](DialogModel& m) {
      auto* dialog = dynamic_cast<CItemNameDialog*>(&m);
      if (dialog == nullptr) return false;
      dialog->setName(r.to);
      return dialog->onOk(port);
    });
    if (!page.rename(port) && port.messages().size() > shown)
      throw PageRefused("cannot rename \"" + r.name + "\" to \"" + r.to +
                        "\": " + CliPort::oneLine(port.messages().back()));
  }
  for (const auto& d : s.deletes) {
    if (d.kind != kind) continue;
    selectByName(page, d);
    page.remove(port);
  }
}

bool wants(const PropertiesStep& s, Kind kind) {
  const auto is = [kind](const PropertiesStep::Item& i) { return i.kind == kind; };
  return std::any_of(s.renames.begin(), s.renames.end(), is) || std::any_of(s.deletes.begin(), s.deletes.end(), is);
}

void set(bool& target, const std::optional<bool>& value) {
  if (value) target = *value;
}

}  // namespace

Step parsePropertiesStep(JobObject& o, const std::filesystem::path&) {
  PropertiesStep s;
  s.renames = readItems(o, "rename", true);
  s.deletes = readItems(o, "delete", false);
  s.diluteFigures = o.boolean("dilute_figures");
  return s;
}

Step parseDisplayStep(JobObject& o, const std::filesystem::path&) {
  DisplayStep s;
  s.axisIcon = o.boolean("axis_icon");
  s.grid = o.boolean("grid");
  constexpr const char* kPlanes[] = {"grid_yz", "grid_xz", "grid_xy"};
  for (std::size_t i = 0; i < 3; ++i) s.planes[i] = o.boolean(kPlanes[i]);
  constexpr const char* kDatasets[] = {"composites", "envelopes", "figures", "polygons", "surfaces"};
  for (std::size_t i = 0; i < 5; ++i) s.datasets[i] = o.boolean(kDatasets[i]);
  s.markerSymbol = indexKey(o, "marker_symbol", static_cast<int>(CCompositesPropertyPage::kSymbols.size()) - 1);
  s.markerSize = indexKey(o, "marker_size", static_cast<int>(CCompositesPropertyPage::kSizes.size()) - 1);
  s.polygonRendering = indexKey(o, "polygon_rendering", 4);
  s.surfaceTransparency = indexKey(o, "surface_transparency", 100);
  s.view = o.string("view");
  return s;
}

void runPropertiesStep(const PropertiesStep& s, CWQuarlexDoc& doc, CliPort& port, std::ostream& out) {
  port.setQuestionPolicy([](std::string_view text, MessageButtons) {
    return text.starts_with("Are you sure you want to delete") ? MessageAnswer::Yes : MessageAnswer::No;
  });
  if (wants(s, Kind::Envelope) || wants(s, Kind::Surface)) {
    port.setFallbackSheet([&](SheetModel& sheet) {
      bool envelopes = false, surfaces = false;
      for (PageModel* page : sheet.pages()) {
        if (auto* e = dynamic_cast<CEnvelopesPropertyPage*>(page)) {
          actOnPage(*e, Kind::Envelope, s, port);
          envelopes = true;
        } else if (auto* f = dynamic_cast<CSurfacesPropertyPage*>(page)) {
          actOnPage(*f, Kind::Surface, s, port);
          surfaces = true;
        }
      }
      if (wants(s, Kind::Envelope) && !envelopes) throw PageRefused("the project has no envelopes");
      if (wants(s, Kind::Surface) && !surfaces) throw PageRefused("the project has no surfaces");
      return true;
    });
    doc.onEnvelopeCompositeSurfaceProperties();
  }
  if (wants(s, Kind::Figure) || s.diluteFigures) {
    port.setFallbackSheet([&](SheetModel& sheet) {
      bool figures = false;
      for (PageModel* page : sheet.pages()) {
        if (auto* f = dynamic_cast<CFiguresPropertyPage*>(page)) {
          actOnPage(*f, Kind::Figure, s, port);
          if (s.diluteFigures) f->dilution = *s.diluteFigures;
          figures = true;
        }
      }
      if (!figures) throw PageRefused("the project has no figures");
      return true;
    });
    doc.onFigurePolygonProperties();
  }
  const ProjectObjects& objects = doc.objects();
  out << "Envelopes: " << objects.envelopes.count() << ", surfaces: " << objects.surfaces.count()
      << ", figures: " << objects.figures.count() << (objects.figures.dilution == 0 ? " (diluted)" : " (not diluted)")
      << '\n';
}

void runDisplayStep(const DisplayStep& s, CWQuarlexDoc& doc, CliPort& port) {
  port.setFallbackSheet([&](SheetModel& sheet) {
    for (PageModel* page : sheet.pages()) {
      if (auto* grid = dynamic_cast<CReferenceGridPage*>(page)) {
        set(grid->axisIcon, s.axisIcon);
        set(grid->gridShown, s.grid);
        for (std::size_t i = 0; i < 3; ++i) set(grid->planes[i], s.planes[i]);
        for (std::size_t i = 0; i < 5; ++i) set(grid->datasets[i], s.datasets[i]);
      }
    }
    return true;
  });
  doc.onDisplayProperties();
  if (s.view) {  // as the Sections bar does
    const int index = doc.objects().sections.findNamed(*s.view);
    if (index < 0) throw PageRefused("view: no section is named \"" + *s.view + "\"");
    if (doc.scene() != nullptr) ViewController(*doc.scene(), doc.sceneProject()).selectSection(index);
    doc.setModifiedFlag(true);
  }
  if (s.polygonRendering) {  // the rendering bar's choice, saved with the project
    doc.objects().polygons.displayMode = *s.polygonRendering;
    doc.setModifiedFlag(true);
  }
  if (s.surfaceTransparency) {
    if (doc.objects().surfaces.count() == 0) throw PageRefused("surface_transparency: the project has no surfaces");
    port.setFallbackSheet([&](SheetModel& sheet) {
      for (PageModel* page : sheet.pages()) {
        if (auto* f = dynamic_cast<CSurfacesPropertyPage*>(page)) {
          for (int i = 0; i < static_cast<int>(f->items().size()); ++i) {
            f->select(i);
            f->current()->transparency = *s.surfaceTransparency;
          }
        }
      }
      return true;
    });
    doc.onEnvelopeCompositeSurfaceProperties();
  }
  if (!s.markerSymbol && !s.markerSize) return;
  if (doc.objects().composites.count() == 0)
    throw PageRefused("marker_symbol, marker_size: the project has no composites");
  port.setFallbackSheet([&](SheetModel& sheet) {
    for (PageModel* page : sheet.pages()) {
      if (auto* c = dynamic_cast<CCompositesPropertyPage*>(page)) {
        if (s.markerSymbol) c->markerSymbol = *s.markerSymbol;
        if (s.markerSize) c->markerSize = *s.markerSize;
      }
    }
    return true;
  });
  doc.onEnvelopeCompositeSurfaceProperties();
}

}  // namespace qx::cli
