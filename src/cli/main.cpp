// quarlex: runs a polygonal estimate from a JSON job, without a window.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <clocale>
#include <exception>
#include <iostream>
#include <new>

#include "app/version.h"
#include "cli/check.h"
#include "cli/cli_port.h"
#include "cli/info.h"
#include "cli/job.h"
#include "plot/cairo_plot.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C");
  CLI::App app{"quarlex - polygonal mineral-resource estimation from a JSON job", "quarlex"};
  app.set_version_flag("--version", std::string("quarlex ") + qx::kVersionString + " (" + qx::aboutText() + ")");
  app.require_subcommand(0, 1);

  std::string jobFile;
  auto* run = app.add_subcommand("run", "Run a job file: set up or open a project, import, calculate, report, save");
  run->add_option("JOB", jobFile, "the job file (JSON); see docs/cli.md")->required();

  std::string infoFile;
  bool infoJson = false;
  auto* info = app.add_subcommand("info", "Show what a project file holds: variables, settings, dataset counts");
  info->add_option("PROJECT", infoFile, "the project file (.qrx)")->required();
  info->add_flag("--json", infoJson, "print the same as JSON");

  std::string checkFile;
  bool checkJson = false;
  double checkTolerance = qx::kDefaultCheckTolerance;
  auto* check = app.add_subcommand("check", "Check a project's data: duplicates, crossings, missing values, gaps");
  check->add_option("PROJECT", checkFile, "the project file (.qrx)")->required();
  check->add_flag("--json", checkJson, "print the same as JSON");
  check->add_option("--tolerance", checkTolerance, "distance in plan under which composites are near-duplicates")
      ->check(CLI::NonNegativeNumber);
  std::vector<double> checkPercentiles{1.0, 99.0};
  check->add_option("--percentiles", checkPercentiles, "LOW HIGH: values beyond these percentiles are listed (1 99)")
      ->expected(2)
      ->check(CLI::Range(0.0, 100.0));

  std::string plotFile, renderTo;
  auto* render = app.add_subcommand("plot-render", "Draw a Marneth PLT plot file as PDF, SVG or PNG");
  render->add_option("PLOT", plotFile, "the plot file (.plt)")->required();
  render->add_option("--to", renderTo, "the page to write: out.pdf, out.svg or out.png")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  qx::cli::installInterruptHandler();
  // Anything unexpected ends the command with one message, never an abort.
  try {
    if (run->parsed()) return qx::cli::runJobFile(jobFile, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
    if (info->parsed()) return qx::cli::runInfo(infoFile, infoJson, std::cout, std::cerr);
    if (check->parsed())
      return qx::cli::runCheck(checkFile, checkJson, checkTolerance, std::cout, std::cerr,
                               {checkPercentiles[0], checkPercentiles[1]});
    if (render->parsed()) {
      const std::string error = qx::renderPlotFile(plotFile, renderTo);
      if (error.empty()) return 0;
      std::cerr << "quarlex: " << error << "\n";
      return 1;
    }
  } catch (const std::bad_alloc&) {
    std::cerr << "quarlex: out of memory\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "quarlex: unexpected error: " << e.what() << "\n";
    return 1;
  } catch (...) {
    std::cerr << "quarlex: unexpected error\n";
    return 1;
  }
  std::cout << app.help();
  return 0;
}
