#pragma once
// The result charts, drawn with cairo into a PDF, SVG or PNG file: the
// grade-tonnage chart, tonnage (left axis) and average grade (right axis)
// against the cut-off, and the declustered histogram.
#include <string>
#include <vector>

#include "engine/declustering.h"
#include "engine/grade_tonnage.h"

namespace qx {

// The page: points for PDF and SVG, pixels for PNG.
inline constexpr int kChartWidth = 800;
inline constexpr int kChartHeight = 500;

// About `count` round steps (the nearest of 1, 2 or 5 times a power of ten) from 0 or `low`
// to at least `high`: the first tick, the step and the last tick.
struct ChartAxis {
  double first = 0.0, step = 1.0, last = 1.0;
};
ChartAxis chartAxis(double low, double high, int count);

// Writes the chart in the format of the file's extension (.pdf, .svg,
// .png); an empty result, else the message.
std::string writeGradeTonnageChart(const std::vector<GradeTonnageRow>& rows, const std::string& variableName,
                                   const std::string& fileName);

// The declustered frequency of each bin as filled bars, the naive one as
// their outlines; written as writeGradeTonnageChart writes.
std::string writeDeclusteringHistogram(const DeclusteringHistogram& histogram, const std::string& variableName,
                                       const std::string& fileName);

}  // namespace qx
