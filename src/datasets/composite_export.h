#pragma once
// Writing composites to a fixed-column text file: the wizard (envelope
// selection, then the column page), the rotation, the save dialog, and the
// lines themselves.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "datasets/composites.h"
#include "io/columns.h"
#include "sections/rotation.h"

namespace qx {

class EnvelopeSet;
class PageModel;
class ProgressWindow;
class QuarlexSettings;
class UiPort;

inline constexpr std::string_view kExportCompositesTitle = "Export Composites";
inline constexpr std::string_view kSaveCompositeTitle = "Save Composite Datafile";
inline constexpr std::string_view kSaveCompositeFilter =
    "Composite Dataset Files (*.cmp; *.dat)|*.cmp; *.dat|All Files (*.*)|*.*||";
inline constexpr std::string_view kCompositeSaveProgressTitle = "Composite Save Progress";

// "%ld Composites Exported".
std::string compositesExportedText(long count);

// The column page's description: the fixed fields with position, width and
// decimals ("Z Coordinate" left out in a 2D project), every loaded variable,
// then every calculated variable, each with its composite-file columns.
ColumnDescription compositeExportDescription(const CompositeSet& set, const QuarlexSettings& settings);
// The page's choices written back by name to the fixed fields and the variables.
void applyCompositeExportDescription(const ColumnDescription& description, CompositeSet& set,
                                     QuarlexSettings& settings);

// One line of the file: 510 blanks, then each field of `description` in order
// formatted and its first `length` characters copied to its columns (later
// fields overwrite earlier ones), cut after the highest column any field
// writes. The fields are matched by order: the name, x, y, (z), the loaded
// values, the calculated values. Numbers ignore the locale.
std::string compositeExportLine(const CComposite& c, const DPoint3D& position, const ColumnDescription& description,
                                bool withZ);

// The hooks of the export command.
struct CompositeExportHooks {
  // The rotation dialog on a copy of the export rotation; false on Cancel.
  std::function<bool(UiPort&, CParamsRotation&)> editRotation;
  // The envelope selection page (export flags of the envelopes and of the
  // composites outside every envelope), shown first; null for none. `apply`
  // writes its choices back after Finish.
  std::function<std::unique_ptr<PageModel>()> makeEnvelopePage;
  std::function<void(PageModel&)> applyEnvelopePage;
};

// Writes the selected composites (membership through `locate`; an envelope's
// export flag, or the flag for composites outside every envelope) to `out`.
// Returns how many were written.
int writeComposites(std::FILE* out, CompositeSet& set, const QuarlexSettings& settings, const EnvelopeSet& envelopes,
                    const EnvelopeLocator& locate, const ColumnDescription& description, bool rotate,
                    ProgressWindow* progress);

// The whole command. Returns the number of composites written, -1 when the
// user cancelled or the file could not be created, kCompositeExportFailed
// when writing it failed (a full disk; a message said so).
inline constexpr int kCompositeExportFailed = -2;
int exportComposites(UiPort& port, CompositeSet& set, QuarlexSettings& settings, EnvelopeSet& envelopes,
                     const EnvelopeLocator& locate, const CompositeExportHooks& hooks);

}  // namespace qx
