#pragma once
// The dialogs of the Report menu's result commands: "Grade-Tonnage...",
// "Declustering..." and "Check Data..." ask for their options, then show what
// they computed (a chart, a text or both) in a results dialog that can save it.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/data_checks.h"
#include "port/dialog_model.h"

namespace qx {

// The options of "Grade-Tonnage...": a variable, the cut-offs as a list or
// as a regular step (first, first + step, ... `count` of them), and the
// envelopes and the figures whose composites take part (none ticked: every
// polygon).
class GradeTonnageDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "GradeTonnage";
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Grade-Tonnage"; }
  bool onOk(UiPort& port) override;

  std::vector<std::string> variableNames;  // loaded, then calculated
  int variable = 0;
  bool useList = false;
  std::string cutoffList;  // numbers apart by spaces, commas or semicolons
  double first = 0.0, step = 1.0;
  int count = 10;
  std::vector<std::string> envelopeNames;
  std::vector<bool> envelopes;  // ticked, one per envelope name
  std::vector<std::string> figureNames;
  std::vector<bool> figures;  // ticked, one per figure name

  // The cut-offs as entered; empty when they cannot be read.
  std::vector<double> cutoffs() const;
  std::vector<int> chosenEnvelopes() const;
  std::vector<int> chosenFigures() const;
};

// The options of "Declustering...": the variables whose statistics are
// listed (the histogram is drawn for the first of them) and the histogram's
// number of bins.
class DeclusteringDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "Declustering";
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Declustering"; }
  bool onOk(UiPort& port) override;

  std::vector<std::string> variableNames;
  std::vector<bool> chosen;  // one per variable name
  int bins = 20;

  std::vector<int> chosenVariables() const;
};

// The options of "Check Data...": the distance under which two composites
// count as near duplicates, and the percentiles beyond which values are listed.
class CheckDataDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "CheckData";
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return "Check Data"; }
  bool onOk(UiPort& port) override;

  double tolerance = kDefaultCheckTolerance;
  CheckPercentiles percentiles;
};

// What a result command computed: a chart (PNG bytes, drawn at the chart
// size) and a text; Save writes the table (.csv), the text (.txt) or the
// chart (.png, .svg, .pdf) by the extension chosen.
class ResultsDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "Results";
  using ChartWriter = std::function<std::string(const std::string& file)>;  // "" or the message

  ResultsDialog(std::string title, std::string text, std::string table, ChartWriter chart);
  std::string_view kind() const override { return kKind; }
  std::string title() const override { return title_; }

  const std::string& text() const { return text_; }
  const std::string& chartPng() const { return png_; }
  bool hasChart() const { return static_cast<bool>(chart_); }
  // The save dialog and the file by its extension; a refused extension or a
  // write that failed is a message. True when a file was written.
  bool save(UiPort& port);

 private:
  std::string title_, text_, table_, png_;
  ChartWriter chart_;
};

// The checks as `quarlex check` prints them: "name (level): count", then up
// to ten of its items indented by two spaces and "  ... and N more".
std::string dataChecksText(const std::vector<DataCheck>& checks);

}  // namespace qx
