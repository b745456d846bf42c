#pragma once
// The information dialog's model: the history of the items the user picked
// in the view (composites, figures, envelopes, polygons), newest first, and
// the lines the dialog's list box shows for it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qx {

struct ProjectObjects;

// The kinds of picked item.
inline constexpr std::int32_t kInfoComposite = 0;  // index into the composites
inline constexpr std::int32_t kInfoFigure = 1;     // index into the figures
inline constexpr std::int32_t kInfoEnvelope = 2;   // index into the envelopes
inline constexpr std::int32_t kInfoPolygon = 4;    // index of the composite that owns the polygon

// One pick; -1 in both fields marks an empty slot. A type other than the
// four above also reads as empty.
struct CInformationDlgDataItem {
  std::int32_t type = -1;
  std::int32_t index = -1;

  bool empty() const {
    return type != kInfoComposite && type != kInfoFigure && type != kInfoEnvelope && type != kInfoPolygon;
  }
  friend bool operator==(const CInformationDlgDataItem&, const CInformationDlgDataItem&) = default;
};

class CInformationDlgDataList {
 public:
  static constexpr int kSize = 25;

  const std::array<CInformationDlgDataItem, kSize>& items() const { return items_; }

  // The new item goes first; the others move back one place and the last is
  // lost. An item already in the list is not looked for: it may stand twice.
  void add(std::int32_t type, std::int32_t index);
  // A pick in the view: the item type of the selection mode (0 composites,
  // 1 figures, 2 envelopes, 4 polygons) and the picked item's key; an
  // envelope's key is its number times 1000 plus its contour's. False, and
  // nothing added, for a mode that picks no such item.
  bool addPick(int selectionMode, int key);
  // The first item equal in both fields goes; the ones behind it move up and
  // the last slot empties. False when none matches.
  bool remove(std::int32_t type, std::int32_t index);
  // The same for the first item of that type.
  bool removeFirstOfType(std::int32_t type);

 private:
  void removeAt(std::size_t at);

  std::array<CInformationDlgDataItem, kSize> items_{};
};

// The list box's lines, oldest pick first, each pick's lines followed by an
// empty one. A composite, figure or envelope index outside its dataset shows
// nothing; a polygon pick whose composite has no polygon ends the lines there.
// Numbers are written with a point, whatever the locale.
std::vector<std::string> informationLines(const CInformationDlgDataList& list, const ProjectObjects& objects);

}  // namespace qx
