#pragma once
// Loading envelopes from an outline file ("Import &Envelope Data") and
// building them from parsed outline records. The flow asks the user step by
// step through the port: the file, the "File Format" wizard, the optional
// rotation, one "Envelope Properties" dialog per envelope name; a Cancel in
// the first three leaves the set as it was.
#include <functional>
#include <string>
#include <vector>

#include "datasets/outline_reader.h"

namespace qx {

class CParamsRotation;
class EnvelopeSet;
class QuarlexSettings;
class UiPort;

inline constexpr const char* kOpenEnvelopeTitle = "Open Envelope Datafile";
inline constexpr const char* kEnvelopeFilter = "Envelope Dataset Files (*.dig)|*.dig|All Files (*.*)|*.*||";
inline constexpr const char* kLoadEnvelopesTitle = "Load Envelopes";
inline constexpr const char* kLoadingEnvelopeTitle = "Loading Envelope";
inline constexpr const char* kNoEnvelopesFound =
    "No valid m_aEnvelopes were found in the selected file.\n"
    "Please check that the file is a properly formatted envelope file.";

// Edits the import rotation in the rotation dialog; false on Cancel. The
// caller passes the dialog it has; the flow hands it a copy and keeps the
// edits only on OK.
using RotationEditor = std::function<bool(UiPort&, CParamsRotation&)>;
// The default editor: the "Rotation Parameters" dialog through the port.
bool runRotationDialog(UiPort& port, CParamsRotation& rotation);

enum class EnvelopeLoadResult {
  Cancelled,    // a dialog was cancelled, or the file could not be opened: nothing changed
  NoEnvelopes,  // no header line: the warning was shown and the added envelopes dropped
  Loaded,       // contours read; the caller turns the envelopes on and redraws them
};

// The names the file uses and the names the envelopes got, side by side.
struct OutlineNameMap {
  std::vector<std::string> fileNames;
  std::vector<std::string> finalNames;
};

// The names step: for each file name (or once with an empty name when the
// file carries none) the "Envelope Properties" dialog opens with that name,
// `defaultDensity` and black; whichever button closes it, its values are
// taken. Merge: the envelope of that name takes the density and colour;
// otherwise a new envelope is appended. Without names the map holds "" →
// the name given.
OutlineNameMap nameEnvelopes(UiPort& port, EnvelopeSet& set, const std::vector<std::string>& fileNames,
                             bool fileHasNames, double defaultDensity);

// The contours step. Each record with points becomes a contour of the
// envelope chosen by its header name: the envelope of that name; then, when
// the name is one of the file names, the envelope bearing the matching final
// name, which wins; with neither, the envelope chosen before stays (envelope 0
// at the start). A blank name not in the map selects the last envelope. The
// rotation is applied when active; every point widens the set's box. Returns
// the number of contours added. `onHeader` is told the header count.
int addOutlineContours(EnvelopeSet& set, const OutlineFileRecords& records, const OutlineNameMap& names,
                       const std::function<void(std::size_t)>& onHeader = {});

// The whole command. A 3D project (settings.projectType) offers and reads the
// Z field. The last outline path is remembered in settings.lastEnvelopeFile.
// An empty `editRotation` runs the "Rotation Parameters" dialog.
EnvelopeLoadResult loadEnvelopes(UiPort& port, EnvelopeSet& set, QuarlexSettings& settings,
                                 const RotationEditor& editRotation = {});

}  // namespace qx
