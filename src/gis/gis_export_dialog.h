#pragma once
// "Export to GIS...": the dialog that chooses the format, the datasets and
// the coordinate reference system, and the command that runs it, asks where
// to write and writes the layers.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "gis/gis_export.h"
#include "port/dialog_model.h"

namespace qx {

class UiPort;

// "Export to GIS": the format ("GeoPackage (one file)", "Shapefiles (one
// folder)"), one tick per dataset ("Composites", "Envelopes", "Figures",
// "Polygons"; a dataset the project lacks is unticked and disabled, the others
// start ticked) and the EPSG code (blank: none).
class GisExportDialog : public DialogModel {
 public:
  static constexpr std::string_view kKind = "gis_export";
  static constexpr std::string_view kTitle = "Export to GIS";
  static constexpr std::string_view kFormatLabels[] = {"GeoPackage (one file)", "Shapefiles (one folder)"};
  static constexpr std::string_view kLayerLabels[] = {"Composites", "Envelopes", "Figures", "Polygons"};
  static constexpr std::string_view kEpsgLabel = "EPSG code (blank: none)";
  static constexpr std::string_view kNoDatasetMessage = "Tick at least one dataset to export.";
  static constexpr std::string_view kEpsgMessage = "Enter the EPSG code as a whole number above 0, or leave it blank.";

  // Items per dataset, in kGisLayerNames order.
  explicit GisExportDialog(const std::array<int, kGisLayerCount>& counts);

  std::string_view kind() const override { return kKind; }
  std::string title() const override { return std::string(kTitle); }

  GisFormat format = GisFormat::GeoPackage;
  std::array<bool, kGisLayerCount> layers{};
  std::string epsgText;
  bool layerEnabled(std::size_t i) const { return counts_.at(i) > 0; }

  // No dataset ticked, or an EPSG text that is not blank nor a whole number
  // above 0: its message, and the dialog stays.
  bool onOk(UiPort& port) override;
  std::optional<int> epsg() const { return epsg_; }

 private:
  std::array<int, kGisLayerCount> counts_;
  std::optional<int> epsg_;
};

struct GisCommandOutcome {
  enum class Status { Written, Cancelled, Failed } status = Status::Cancelled;
  int features = 0;  // over every layer written
  std::string path;
};

// The dialog, then the save dialog ("Save GIS Layers", *.gpkg) or the folder
// browser ("Folder for the Shapefiles"), then the export; a failure shows its
// message as an error.
GisCommandOutcome exportGisCommand(UiPort& port, const GisProject& project);

}  // namespace qx
