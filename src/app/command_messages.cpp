#include "app/command_messages.h"

namespace qx {

namespace {

// "1 polygon" or "2,353 polygons".
std::string counted(int count, std::string_view noun) {
  std::string text = groupedCount(count) + " " + std::string(noun);
  if (count != 1) text += 's';
  return text;
}

// " to <file>" and " from <file>", or nothing without a file.
std::string place(std::string_view preposition, std::string_view file) {
  return file.empty() ? std::string() : " " + std::string(preposition) + " " + std::string(file);
}

}  // namespace

std::string groupedCount(long long count) {
  const std::string digits = std::to_string(count < 0 ? 0ULL - static_cast<unsigned long long>(count)
                                                      : static_cast<unsigned long long>(count));
  std::string text = count < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

std::string commandMessage(CommandId id, const CommandResult& result, std::string_view file) {
  if (!result.ok()) return {};
  const int n = result.count;
  switch (id) {
    case CommandId::ImportComposites: return counted(n, "composite") + " imported" + place("from", file);
    case CommandId::ImportEnvelopes: return counted(n, "envelope") + " imported" + place("from", file);
    case CommandId::ImportFigures: return counted(n, "figure") + " imported" + place("from", file);
    case CommandId::ImportSurfaces: return "Surface imported" + place("from", file);
    case CommandId::ExportComposites: return counted(n, "composite") + " exported" + place("to", file);
    case CommandId::ExportEnvelopes: return "Envelopes exported" + place("to", file);
    case CommandId::ExportPolygons: return "Polygon data exported" + place("to", file);
    case CommandId::ExportFigures: return "Figure data exported" + place("to", file);
    case CommandId::ExportGis: return counted(n, "feature") + " exported as GIS layers" + place("to", file);
    case CommandId::ReportPolygons: return "Polygon report written" + place("to", file);
    case CommandId::ReportFigures: return "Figure report written" + place("to", file);
    case CommandId::GeneratePolygons: return counted(n, "polygon") + " generated";
    case CommandId::ClearPolygons: return "Polygons cleared";
    case CommandId::RecalculateFigures: return counted(n, "figure") + " recalculated";
    case CommandId::GenerateMaps: return counted(n, "plot file") + " written";
    default: return {};
  }
}

}  // namespace qx
