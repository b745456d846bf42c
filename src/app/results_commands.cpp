// The result commands of the Report menu: "Grade-Tonnage...",
// "Declustering..." and "Check Data...", and the dialogs they show.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <span>

#include "app/atomic_file.h"
#include "app/document.h"
#include "app/results_dialogs.h"
#include "engine/declustering.h"
#include "engine/grade_tonnage.h"
#include "io/text_encoding.h"
#include "plot/chart.h"

namespace qx {

namespace {

constexpr int kMaxCutoffs = 10000;
constexpr std::size_t kShownItems = 10;

bool refuse(UiPort& port, const std::string& text) {
  port.message(text, MessageButtons::Ok, MessageIcon::Warning);
  return false;
}

std::string lowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The chart drawn as PNG into a private temporary file and read back; empty
// when it could not be drawn.
std::string renderPng(const ResultsDialog::ChartWriter& chart) {
  std::string name = (std::filesystem::temp_directory_path() / "quarlex-chart-XXXXXX.png").string();
  const int fd = mkstemps(name.data(), 4);
  if (fd < 0) return {};
  close(fd);
  std::string png;
  if (chart(name).empty()) {
    std::string error;
    const auto bytes = readWholeFile(name, error);
    png.assign(bytes.begin(), bytes.end());
  }
  std::error_code ignored;
  std::filesystem::remove(name, ignored);
  return png;
}

}  // namespace

std::vector<double> GradeTonnageDialog::cutoffs() const {
  std::vector<double> out;
  if (!useList) {
    if (!(step > 0.0) || count < 1 || count > kMaxCutoffs) return {};
    for (int i = 0; i < count; ++i) out.push_back(first + i * step);
    return out;
  }
  const char* p = cutoffList.data();
  const char* end = p + cutoffList.size();
  while (p != end) {
    if (*p == ' ' || *p == ',' || *p == ';' || *p == '\t') {
      ++p;
      continue;
    }
    double v = 0.0;
    const auto [next, ec] = std::from_chars(p, end, v);
    if (ec != std::errc() || (next != end && *next != ' ' && *next != ',' && *next != ';' && *next != '\t')) return {};
    out.push_back(v);
    p = next;
  }
  if (out.size() > kMaxCutoffs) return {};
  return out;
}

namespace {
std::vector<int> ticked(const std::vector<bool>& ticks) {
  std::vector<int> out;
  for (std::size_t i = 0; i < ticks.size(); ++i)
    if (ticks[i]) out.push_back(static_cast<int>(i));
  return out;
}
}  // namespace

std::vector<int> GradeTonnageDialog::chosenEnvelopes() const { return ticked(envelopes); }
std::vector<int> GradeTonnageDialog::chosenFigures() const { return ticked(figures); }

bool GradeTonnageDialog::onOk(UiPort& port) {
  if (variable < 0 || variable >= static_cast<int>(variableNames.size())) return refuse(port, "Choose a variable.");
  if (!cutoffs().empty()) return true;
  return refuse(port, useList ? "Enter the cut-offs as numbers apart by spaces or commas."
                              : "The step must be above 0 and the count from 1 to 10000.");
}

std::vector<int> DeclusteringDialog::chosenVariables() const {
  std::vector<int> out;
  for (std::size_t i = 0; i < chosen.size(); ++i)
    if (chosen[i]) out.push_back(static_cast<int>(i));
  return out;
}

bool DeclusteringDialog::onOk(UiPort& port) {
  if (chosenVariables().empty()) return refuse(port, "Choose at least one variable.");
  if (bins < 1 || bins > 1000) return refuse(port, "The number of bins must be from 1 to 1000.");
  return true;
}

bool CheckDataDialog::onOk(UiPort& port) {
  if (!(tolerance > 0.0)) return refuse(port, "The tolerance must be above 0.");
  if (!(percentiles.low >= 0.0 && percentiles.low < percentiles.high && percentiles.high <= 100.0))
    return refuse(port, "The percentiles must be from 0 to 100, the low one below the high one.");
  return true;
}

ResultsDialog::ResultsDialog(std::string title, std::string text, std::string table, ChartWriter chart)
    : title_(std::move(title)), text_(std::move(text)), table_(std::move(table)), chart_(std::move(chart)) {
  if (chart_) png_ = renderPng(chart_);
}

bool ResultsDialog::save(UiPort& port) {
  FileDialogSpec spec;
  spec.save = true;
  spec.title = "Save " + title_;
  spec.filter = chart_ ? "CSV Files (*.csv)|*.csv|PNG Images (*.png)|*.png|SVG Images (*.svg)|*.svg|"
                         "PDF Files (*.pdf)|*.pdf||"
                       : "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
  spec.defaultExtension = chart_ ? "csv" : "txt";
  const auto path = port.chooseFile(spec);
  if (!path) return false;
  const std::string ext = lowerExtension(*path);
  std::string error;
  if (!chart_)
    error = writeFileAtomically(*path, bytesOf(text_));
  else if (ext == ".csv")
    error = writeFileAtomically(*path, bytesOf(table_));
  else if (ext == ".png" || ext == ".svg" || ext == ".pdf")
    error = chart_(*path);
  else
    error = "Save the table as a .csv file or the chart as a .png, .svg or .pdf file.";
  if (error.empty()) return true;
  port.message(error, MessageButtons::Ok, MessageIcon::Error);
  return false;
}

std::string dataChecksText(const std::vector<DataCheck>& checks) {
  std::string out;
  for (const auto& c : checks) {
    out += displayText(c.name) + " (" + checkLevelName(c.level) + "): " + std::to_string(c.count) + "\n";
    for (std::size_t i = 0; i < c.items.size() && i < kShownItems; ++i) out += "  " + displayText(c.items[i]) + "\n";
    if (c.items.size() > kShownItems) out += "  ... and " + std::to_string(c.items.size() - kShownItems) + " more\n";
  }
  return out;
}

CommandResult CWQuarlexDoc::onGradeTonnage() {
  GradeTonnageDialog dialog;
  dialog.variableNames = objects_.settings.variableNames();
  for (const auto& e : objects_.envelopes.envelopes) dialog.envelopeNames.push_back(e.name);
  dialog.envelopes.assign(dialog.envelopeNames.size(), false);
  for (const auto& f : objects_.figures.figures) dialog.figureNames.push_back(f.name);
  dialog.figures.assign(dialog.figureNames.size(), false);
  if (!port_.runDialog(dialog)) return CommandResult::cancelled();
  std::vector<GradeTonnageRow> rows;
  {
    WaitCursor wait(port_);
    std::vector<std::vector<DPoint3D>> figures;
    for (const int f : dialog.chosenFigures())
      figures.push_back(objects_.figures.figures[static_cast<std::size_t>(f)].outline);
    rows = gradeTonnage(objects_.polygons, objects_.composites, objects_.settings, dialog.variable, dialog.cutoffs(),
                        dialog.chosenEnvelopes(), figures);
  }
  const std::string name = dialog.variableNames[static_cast<std::size_t>(dialog.variable)];
  const std::string csv = gradeTonnageCsv(rows);
  ResultsDialog results("Grade-Tonnage of " + name, csv, csv,
                        [rows, name](const std::string& file) { return writeGradeTonnageChart(rows, name, file); });
  port_.runDialog(results);
  return CommandResult::done(static_cast<int>(rows.size()));
}

CommandResult CWQuarlexDoc::onDeclustering() {
  DeclusteringDialog dialog;
  dialog.variableNames = objects_.settings.variableNames();
  dialog.chosen.assign(dialog.variableNames.size(), true);
  if (!port_.runDialog(dialog)) return CommandResult::cancelled();
  const std::vector<int> variables = dialog.chosenVariables();
  std::string csv;
  DeclusteringHistogram histogram;
  {
    WaitCursor wait(port_);
    const DeclusteringWeights weights = declusteringWeights(objects_.polygons, objects_.composites);
    csv = declusteringCsv(declusteringStats(objects_.composites, objects_.settings, weights, variables));
    histogram = declusteringHistogram(objects_.composites, objects_.settings, weights, variables.front(), dialog.bins);
  }
  const std::string name = dialog.variableNames[static_cast<std::size_t>(variables.front())];
  ResultsDialog results("Declustering", csv, csv, [histogram, name](const std::string& file) {
    return writeDeclusteringHistogram(histogram, name, file);
  });
  port_.runDialog(results);
  return CommandResult::done(static_cast<int>(variables.size()));
}

CommandResult CWQuarlexDoc::onCheckData() {
  CheckDataDialog dialog;
  if (!port_.runDialog(dialog)) return CommandResult::cancelled();
  const std::vector<DataCheck> checks =
      runDataChecks({objects_.composites, objects_.settings, objects_.envelopes, objects_.figures, objects_.polygons},
                    dialog.tolerance, dialog.percentiles);
  ResultsDialog results("Check Data", dataChecksText(checks), "", nullptr);
  port_.runDialog(results);
  return CommandResult::done(static_cast<int>(checks.size()));
}

}  // namespace qx
