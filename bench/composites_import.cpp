// Composite import at scale: a generated file of 1,000,000 composites with
// five loaded variables is read, its co-located composites removed and the
// markers drawn into a scene tree. The peer is a plain fgets + strtod scan of
// the same file (what any reader must at least do).
//
//   bench_composites_import [count] [folder]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "datasets/color_table.h"
#include "datasets/composite_import.h"
#include "datasets/composites.h"
#include "graphics/scene_tree.h"
#include "io/line_reader.h"
#include "port/dialog_model.h"
#include "port/silent_port.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "scene/composites_drawing.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// CPU time of the process (user + system), in seconds: the machine may be shared.
double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Page faults so far: memory touched for the first time costs one each (on a
// virtual machine often more than the work done in the page).
long pageFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt + usage.ru_majflt;
}

// Name 1-15, x 16-27, y 28-39, z 40-49, then five variables of 10 columns from 50.
void writeFile(const std::string& path, long count) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) {
    std::perror(path.c_str());
    std::exit(1);
  }
  std::mt19937_64 random(12345);
  std::uniform_real_distribution<double> coordinate(0.0, 100000.0);
  std::uniform_real_distribution<double> grade(0.0, 20.0);
  for (long i = 0; i < count; ++i) {
    std::fprintf(f, "DH%-13ld%12.3f%12.3f%10.2f", i, coordinate(random), coordinate(random), grade(random) * 10);
    for (int v = 0; v < 5; ++v) std::fprintf(f, "%10.4f", grade(random));
    std::fputc('\n', f);
  }
  std::fclose(f);
}

// The peer: every line with fgets, every numeric field with strtod.
double peerScan(const std::string& path, long& lines) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  char buffer[512];
  double checksum = 0.0;
  lines = 0;
  while (std::fgets(buffer, sizeof buffer, f) != nullptr) {
    static const int starts[] = {15, 27, 39, 49, 59, 69, 79, 89};
    static const int widths[] = {12, 12, 10, 10, 10, 10, 10, 10};
    for (int k = 0; k < 8; ++k) {
      char field[32];
      std::memcpy(field, buffer + starts[k], static_cast<std::size_t>(widths[k]));
      field[widths[k]] = '\0';
      checksum += std::strtod(field, nullptr);
    }
    ++lines;
  }
  std::fclose(f);
  return checksum;
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
  const std::string path = (folder / "bench_composites.cmp").string();

  const auto t0 = Clock::now();
  writeFile(path, count);
  const auto t1 = Clock::now();

  qx::QuarlexSettings settings;
  settings.projectType = qx::kProject3D;
  for (int v = 0; v < 5; ++v) {
    qx::VariableInfo info("V" + std::to_string(v + 1));
    info.compositePosition = 50 + 10 * v;
    info.compositeWidth = 10;
    settings.loaded.push_back(info);
  }
  qx::CompositeSet set;
  set.fieldPositions = {1, 16, 28, 40};
  set.fieldWidths = {15, 12, 12, 10};
  qx::CColorTable colours;
  for (int b = 0; b < 25; ++b) colours.bin(0, b) = {"V1", "", b * 0.8, (b + 1) * 0.8, 0};
  qx::SilentPort port;
  qx::gfx::SceneTree tree;
  tree.defineAlias("?Model", "/model");

  // Import: read, co-located removal, processing into the scene tree.
  const auto t2 = Clock::now();
  const double c2 = cpuSeconds();
  const long f2 = pageFaults();
  int read = 0;
  {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    qx::FileSource source(f);
    qx::SilentProgress progress;
    read = qx::readComposites(source, set, settings, &progress);
    std::fclose(f);
  }
  const auto t3 = Clock::now();
  const double c3 = cpuSeconds();
  if (set.count() <= 1) set.singleFlag = 1;
  const int removed = set.removeCoLocated(port);
  const auto t4 = Clock::now();
  const double c4 = cpuSeconds();
  qx::processComposites(port, set, settings, colours, tree);
  const auto t5 = Clock::now();
  const double c5 = cpuSeconds();
  const long f5 = pageFaults();

  long peerLines = 0;
  const auto p0 = Clock::now();
  const double cp0 = cpuSeconds();
  const double checksum = peerScan(path, peerLines);
  const auto p1 = Clock::now();
  const double cp1 = cpuSeconds();

  const double import = seconds(t2, t5);
  const double peer = seconds(p0, p1);
  std::printf("composites import: %ld lines, 5 variables (file written in %.3f s)\n", count, seconds(t0, t1));
  std::printf("                   wall s    cpu s\n");
  std::printf("  read            %8.3f %8.3f  (%d composites)\n", seconds(t2, t3), c3 - c2, read);
  std::printf("  co-located      %8.3f %8.3f  (%d removed)\n", seconds(t3, t4), c4 - c3, removed);
  std::printf("  processing      %8.3f %8.3f  (%zu scene items)\n", seconds(t4, t5), c5 - c4, tree.itemCount());
  std::printf("  import total    %8.3f %8.3f  (budget 3 s: %s)\n", import, c5 - c2, import <= 3.0 ? "met" : "MISSED");
  std::printf("  peer strtod scan%8.3f %8.3f  (%ld lines, checksum %.6g)\n", peer, cp1 - cp0, peerLines, checksum);
  std::printf("  ratio import / peer: %.2f wall, %.2f cpu\n", peer > 0 ? import / peer : 0.0,
              cp1 > cp0 ? (c5 - c2) / (cp1 - cp0) : 0.0);
  std::printf("  peak memory     %8.1f MB\n", peakKilobytes() / 1024.0);
  std::printf("  page faults of the import: %ld\n", f5 - f2);
  std::filesystem::remove(path);
  return 0;
}
