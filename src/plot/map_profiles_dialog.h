#pragma once
// The "Map Profiles" dialog: the list of map profiles with Add, Remove,
// Rename, Copy and Edit, the name dialog it asks with, and the check of a
// profile's pattern file.
#include <string>
#include <string_view>
#include <vector>

#include "plot/map_output.h"
#include "plot/map_profile_pages.h"
#include "port/dialog_model.h"

namespace qx {

class UiPort;

// Asks for a name; the name is trimmed at both ends on OK.
class CNameEntryDialog : public DialogModel {
 public:
  CNameEntryDialog(std::string prompt, std::string name) : prompt(std::move(prompt)), name(std::move(name)) {}
  std::string_view kind() const override { return "name_entry"; }
  std::string title() const override { return prompt; }
  bool onOk(UiPort& port) override;

  std::string prompt;
  std::string name;
};

// The profile sheet "Section Map Profile" on a working copy of one profile,
// with its pages "Map Presentation", "Map Frame", "Graduations", "Plot
// Limits", "Composites", "Polygons" and "Figures". Opening it rebuilds the
// annotation lists from the project's variables and gives the profile one
// pair of envelope switches per envelope of the project.
class CMapProfileSheet : public SheetModel {
 public:
  static constexpr const char* kTitle = "Section Map Profile";
  explicit CMapProfileSheet(MapProfileDef profile, const MapProfileContext& context = {});
  CMapProfileSheet(const CMapProfileSheet&) = delete;
  CMapProfileSheet& operator=(const CMapProfileSheet&) = delete;
  MapProfileDef profile;
  CMapPresentationPage presentation{profile};
  CMapFramePage frame{profile};
  CMapGraduationsPage graduations{profile};
  CMapLimitsPage limits;
  CMapLabelsPage composites;
  CMapLabelsPage polygons;
  CMapLabelsPage figures;
};

class CMapProfilesDialog : public DialogModel {
 public:
  static constexpr const char* kNamePrompt = "Enter New Map Profile Name";

  explicit CMapProfilesDialog(MapOutputData& data, MapProfileContext context = {})
      : data_(data), context_(std::move(context)) {}
  std::string_view kind() const override { return "map_profiles"; }
  std::string title() const override { return "Map Profiles"; }

  // The lines under "List of Map Profiles": the names in list order.
  std::vector<std::string> lines() const;
  int selection = -1;  // -1: none

  // Add: a name, then a new profile with the defaults edited in the sheet;
  // it joins the end of the list (and is selected) once the name is given,
  // the sheet's OK keeping its edits. False when the name was cancelled.
  bool add(UiPort& port);
  // Edit: the sheet on the selected profile; its OK keeps the edits.
  bool edit(UiPort& port);
  // Remove, Rename and Copy do nothing without a selection.
  bool remove();
  bool rename(UiPort& port);
  bool copy(UiPort& port);

 private:
  bool askName(UiPort& port, std::string& name);
  bool editProfile(UiPort& port, int index);
  MapOutputData& data_;
  MapProfileContext context_;
};

// "Browse..." of the presentation page: the path chosen in "Open Style File"
// becomes the pattern file when it opens for reading; otherwise "Error
// opening file <path>" is shown with the warning icon and the pattern file
// becomes empty. False (nothing changed) when the dialog was cancelled.
bool browsePatternFile(UiPort& port, std::string& patternFile);

}  // namespace qx
