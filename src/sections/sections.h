#pragma once
// Sections: named viewing orientations of the project (azimuth and dip, the
// point looked at, the field and the slab around the target), the list of
// named sections and the back/forward history of earlier views.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/types.h"
#include "io/archive.h"

namespace qx {

class Section {
 public:
  enum Orientation : std::int32_t { kOther = -1, kPlan = 0, kNorthSouth = 1, kEastWest = 2 };
  // Name length byte, four floats, the code, target, slab, reference point.
  static constexpr std::size_t kMinRecordBytes = 1 + 4 * 4 + 4 + 3 * 4 + 2 * 4 + 3 * 4;

  std::string name;
  std::int32_t orientation = kNorthSouth;
  float azimuth = 0.0f;  // degrees, clockwise from north (+Y)
  float dip = -90.0f;    // degrees; -90 looks straight down
  float fieldWidth = 100.0f;
  float fieldHeight = 100.0f;
  FPoint3D target;
  float slabFront = 0.0f;  // depth of the slab toward the viewer
  float slabBack = 0.0f;   // depth of the slab away from the viewer
  FPoint3D referencePoint;

  // 0 plan (dip +-90); 1 dip 0 with azimuth 0, 180, -180 or 360; 2 dip 0 with
  // azimuth 90, 270 or -90; -1 otherwise. Exact comparisons; stores the code.
  std::int32_t computeOrientation();

  // The unit view direction (sin(az) cos(dip), cos(az) cos(dip), sin(dip)).
  DPoint3D viewDirection() const;

  // name; azimuth, dip, field width, field height (floats); orientation code;
  // target (3 floats); slab front, slab back (floats); reference point (3 floats).
  void serialize(Archive& ar);

  friend bool operator==(const Section&, const Section&) = default;
};

class SectionSet {
 public:
  static constexpr int kMaxHistory = 25;

  SectionSet() = default;
  // New project: the default current section, no named sections, empty
  // histories. The document then asks for the standard sections.
  void reset() { *this = SectionSet(); }

  Section current;
  std::vector<Section> named;
  std::vector<Section> back;
  std::vector<Section> forward;
  // Index of the last entry of each history, -1 when empty. Stored in the
  // record apart from the history sizes; the history operations keep them at
  // size - 1 and a load takes them as stored.
  std::int32_t backIndex = -1;
  std::int32_t forwardIndex = -1;

  int count() const { return static_cast<int>(named.size()); }

  // Takes the current section as the template (target, slab and reference
  // point zero, field 100 x 100, orientation code unchanged) and appends the
  // ten standard sections.
  void createStandardSections();
  // Appends to the named list; a name already there is accepted again.
  void addNamed(const Section& s) { named.push_back(s); }
  // The first index whose name matches exactly, or -1.
  int findNamed(std::string_view name) const;

  // Appends a copy of the current section to the back history.
  void recordCurrentView();
  // 0 when the back history is empty; otherwise the current section goes to
  // the forward history, the last back entry becomes current, and 1.
  int goBack();
  // The mirror of goBack.
  int goForward();

  // named count; back index; forward index; the named sections; back history
  // size and sections; forward history size and sections; the current section.
  // A load replaces the whole set.
  void serialize(Archive& ar);

  friend bool operator==(const SectionSet&, const SectionSet&) = default;
};

}  // namespace qx
