// The "edit_variables" step: "Edit Defined Variables" and "Edit Calculated
// Variables" run through the document, the dialogs answered from the step.
#include <tuple>

#include "app/document.h"
#include "cli/cli_port.h"
#include "cli/job.h"
#include "cli/job_steps.h"
#include "variables/formula_dialog.h"
#include "variables/variable_edit_dialog.h"

namespace qx::cli {

using json = nlohmann::json;

Step parseEditVariables(JobObject& o, const std::filesystem::path&) {
  EditVariablesStep s;
  if (const json* list = o.find("delete")) {
    if (!list->is_array()) throw JobError(o.keyPath("delete"), "expected a list of names");
    for (std::size_t i = 0; i < list->size(); ++i) {
      if (!(*list)[i].is_string())
        throw JobError(o.keyPath("delete") + "[" + std::to_string(i) + "]", "expected a name");
      s.deletions.push_back((*list)[i].get<std::string>());
    }
  }
  if (const json* renames = o.find("rename")) {
    if (!renames->is_object()) throw JobError(o.keyPath("rename"), "expected an object of old and new names");
    for (auto it = renames->begin(); it != renames->end(); ++it) {
      if (!it.value().is_string()) throw JobError(o.keyPath("rename") + "." + it.key(), "expected the new name");
      s.renames.emplace_back(it.key(), it.value().get<std::string>());
    }
  }
  if (const json* vars = o.find("variables")) {
    if (!vars->is_object()) throw JobError(o.keyPath("variables"), "expected an object of variable names");
    for (auto it = vars->begin(); it != vars->end(); ++it) {
      JobObject v(it.value(), o.keyPath("variables") + "." + it.key());
      EditVariablesStep::Change c;
      c.variable = it.key();
      c.defaultValue = v.number("default");
      c.missingValue = v.number("missing");
      if (auto w = v.choice("weighting", {"tonnage", "volume", "surface"}))
        c.weighting = *w == "tonnage" ? kWeightTonnage : *w == "volume" ? kWeightVolume : kWeightSurface;
      c.formula = v.string("formula");
      v.finish();
      s.changes.push_back(c);
    }
  }
  return s;
}

namespace {

// One variable to pass through its properties dialog.
struct Edit {
  std::string name;     // as the list shows it
  std::string newName;  // the same when it keeps its name
  const EditVariablesStep::Change* change = nullptr;
};

struct KindPlan {
  std::vector<std::string> deletions;
  std::vector<Edit> edits;
  bool empty() const { return deletions.empty() && edits.empty(); }
};

// The operations of the step sorted by the kind of their variable; "" or
// why the step can not run.
std::string plan(const EditVariablesStep& s, const QuarlexSettings& settings, KindPlan& loaded, KindPlan& calculated) {
  auto kindOf = [&](const std::string& name) -> KindPlan* {
    const int n = settings.findVariable(name);
    if (n < 0) return nullptr;
    return n < settings.loadedCount() ? &loaded : &calculated;
  };
  auto unknown = [](const std::string& name) { return "no variable is named \"" + name + "\""; };
  for (const auto& name : s.deletions) {
    KindPlan* k = kindOf(name);
    if (k == nullptr) return unknown(name);
    k->deletions.push_back(name);
  }
  for (const auto& [from, to] : s.renames) {
    KindPlan* k = kindOf(from);
    if (k == nullptr) return unknown(from);
    k->edits.push_back({from, to, nullptr});
  }
  for (const auto& c : s.changes) {
    KindPlan* k = nullptr;
    Edit* edit = nullptr;
    for (KindPlan* p : {&loaded, &calculated})
      for (Edit& e : p->edits)
        if (e.newName == c.variable) std::tie(k, edit) = std::pair{p, &e};
    if (edit == nullptr) {
      for (const auto& r : s.renames)
        if (r.first == c.variable) return "\"" + c.variable + "\" is renamed: give its values under its new name";
      k = kindOf(c.variable);
      if (k == nullptr) return unknown(c.variable);
      edit = &k->edits.emplace_back(Edit{c.variable, c.variable, nullptr});
    }
    edit->change = &c;
    if (k == &loaded && c.formula) return "\"" + c.variable + "\" is a loaded variable: it has no formula";
    if (k == &calculated && (c.defaultValue || c.missingValue || c.weighting))
      return "\"" + c.variable + "\" is a calculated variable: only its name and formula are edited";
  }
  return {};
}

}  // namespace

std::string runEditVariables(const EditVariablesStep& s, CWQuarlexDoc& doc, CliPort& port) {
  KindPlan loaded, calculated;
  if (std::string bad = plan(s, doc.objects().settings, loaded, calculated); !bad.empty()) return bad;

  std::string failure;
  const Edit* current = nullptr;
  // The last message shown, when `shown` messages were there before.
  auto refusal = [&](std::size_t shown, const std::string& otherwise) {
    return port.messages().size() > shown ? CliPort::oneLine(port.messages().back()) : otherwise;
  };
  auto editList = [&](CVariableEditDialog& d, const KindPlan& k) {
    auto lineOf = [&d](const std::string& name) {
      const auto lines = d.lines();
      for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i][0] == name) return static_cast<int>(i);
      return -1;
    };
    for (const auto& name : k.deletions) {
      const std::size_t shown = port.messages().size();
      d.select(lineOf(name));
      if (!d.remove(port)) {
        failure = refusal(shown, "\"" + name + "\" was not deleted");
        return false;
      }
    }
    for (const Edit& e : k.edits) {
      const std::size_t shown = port.messages().size();
      current = &e;
      d.select(lineOf(e.name));
      if (!d.edit(port)) {
        if (failure.empty()) failure = refusal(shown, "\"" + e.name + "\" was not changed");
        return false;
      }
    }
    return true;
  };
  auto properties = [&](NamedEntryDialog& d) {
    d.fieldName = current->newName;
    const auto* c = current->change;
    if (auto* l = dynamic_cast<CVariableLoadedDialog*>(&d); l != nullptr && c != nullptr) {
      if (c->defaultValue) l->defaultValue = *c->defaultValue;
      if (c->missingValue) l->missingValue = *c->missingValue;
      if (c->weighting) l->weightingType = *c->weighting;
    }
    auto* calc = dynamic_cast<CVariableCalculatedDialog*>(&d);
    if (calc != nullptr && c != nullptr && c->formula) {
      std::string bad;
      const auto code = formulaCodeFromText(*c->formula, d.allNames(), &bad);
      if (!code) {
        failure = "the formula of \"" + current->name + "\": " + bad;
        return false;
      }
      // The formula dialog's own checks: it compiles, and uses only the
      // variables before its own.
      CFormulaDialog formula(d.allNames(), FormulaEntry{*code, {}, {}}, calc->formulaScope);
      const std::size_t shown = port.messages().size();
      if (!formula.onOk(port)) {
        failure = "the formula of \"" + current->name + "\": " + refusal(shown, "refused");
        return false;
      }
      calc->takeFormula(formula.accepted());
    }
    return d.onOk(port);
  };

  for (auto [kind, k] : {std::pair{VariableKind::Loaded, &loaded}, std::pair{VariableKind::Calculated, &calculated}}) {
    if (k->empty()) continue;
    port.setFallbackDialog([&, k = k](DialogModel& m) {
      if (auto* list = dynamic_cast<CVariableEditDialog*>(&m)) return editList(*list, *k);
      if (auto* entry = dynamic_cast<NamedEntryDialog*>(&m)) return properties(*entry);
      return false;
    });
    const bool done = doc.onEditVariables(kind).ok();
    port.setFallbackDialog({});
    if (!done) return failure.empty() ? "the variables were not changed" : failure;
  }
  return {};
}

}  // namespace qx::cli
