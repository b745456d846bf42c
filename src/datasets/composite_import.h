#pragma once
// Loading a composite file: the command's steps through the user-interface
// port (file dialog, column wizard with preview, rotation, append question,
// progress) and the reading itself.
#include <functional>
#include <string>
#include <string_view>

#include "datasets/composite_reader.h"
#include "datasets/composites.h"
#include "io/columns.h"
#include "io/line_reader.h"
#include "sections/rotation.h"

namespace qx {

class ByteSource;
class ProgressWindow;
class QuarlexSettings;
class UiPort;

inline constexpr std::string_view kOpenCompositeTitle = "Open Composite Datafile";
inline constexpr std::string_view kOpenCompositeFilter =
    "Composite Dataset Files (*.dat; *.cmp)|*.dat; *.cmp|Composite Dataset Files (*.dat)|*.dat|All Files (*.*)|*.*||";
inline constexpr std::string_view kLoadCompositesTitle = "Load Composites";
inline constexpr std::string_view kAppendCompositesQuestion =
    "The project already contains composites,\nNew ones will be added,\nAre you sure you want to append composites?";
inline constexpr std::string_view kLoadingCompositesTitle = "Loading Composites";

// "%ld Composites Loaded".
std::string compositesLoadedText(long count);

// What the load command needs beyond the port and the data.
struct CompositeLoadHooks {
  // The rotation dialog on a copy of the import rotation; false on Cancel.
  std::function<bool(UiPort&, CParamsRotation&)> editRotation;
  // Processing of the composites after a load (calculated values, bins and
  // markers); the application points it at the scene's composite drawing.
  std::function<void()> process;
};

// The column description the wizard shows: the fixed fields (without "Z
// Coordinate" in a 2D project), then one field per loaded variable.
ColumnDescription compositeLoadDescription(const CompositeSet& set, const QuarlexSettings& settings);
// The positions and widths chosen on the page, written back by field name to
// the fixed fields and to the loaded variables.
void applyCompositeLoadDescription(const ColumnDescription& description, CompositeSet& set, QuarlexSettings& settings);
// The reader's layout from the set's fixed fields and the variables.
CompositeLayout compositeLayout(const CompositeSet& set, const QuarlexSettings& settings);
// The same for a delimited description: its format, and the columns of the
// fixed fields and the variables by their names (the set keeps its fixed columns).
CompositeLayout compositeLayout(const ColumnDescription& description, const CompositeSet& set,
                                const QuarlexSettings& settings);

// Reads every line of `source` as a composite and appends it (steps 7 to 10
// of the command): progress text every 100 composites, the import rotation
// when it is active, the box widened, calculated values computed. Returns how
// many were read; singleFlag is set to 0. `progress` may be null.
//
// A line whose coordinates or values are not finite numbers within the
// project's limits (common/limits.h) yields no composite: it is counted in
// `refused`, and the first such line is named, so that one absurd line does
// not spoil the estimate of the others.
struct CompositeRefusals {
  long count = 0;
  long firstLine = 0;         // 1-based line number in the file
  std::string firstWhat;      // "X = 1e+19"
  TextFault text;             // why nothing was read (kCompositeTextFault)
  DelimitedReport delimited;  // a delimited file: its bad lines, or why nothing was read
};
//
// The progress window's Cancel (Ctrl+C in quarlex) is looked at every 100
// lines: the composites read so far go again, the set is as it was, and the
// result is -1. A file that holds a NUL byte or no line that could be read
// leaves the set as it was too: the result is kCompositeTextFault, and the
// fault is noted in `refusals`.
inline constexpr int kCompositeTextFault = -2;
int readComposites(ByteSource& source, CompositeSet& set, const QuarlexSettings& settings, ProgressWindow* progress,
                   CompositeRefusals* refusals = nullptr);
// The same with a layout of its own (a delimited file). A delimited file of
// which no line could be read is a kCompositeTextFault with refusals->delimited.fatal set.
int readComposites(ByteSource& source, const CompositeLayout& layout, CompositeSet& set,
                   const QuarlexSettings& settings, ProgressWindow* progress, CompositeRefusals* refusals = nullptr);
inline constexpr std::string_view kCompositeLoadCancelled =
    "Loading the composites was cancelled: the project is as it was.";
// The message that tells the user about refused lines.
std::string compositeRefusalMessage(const std::string& path, const CompositeRefusals& refusals);

// After a read of `read` composites: singleFlag, co-located removal and
// processing (step 11). Returns how many co-located composites went.
int finishCompositeLoad(int read, UiPort& port, CompositeSet& set, const CompositeLoadHooks& hooks);

// The whole command. Returns the number of composites in the set afterwards;
// 0 on cancel or when the file cannot be opened.
int loadComposites(UiPort& port, CompositeSet& set, QuarlexSettings& settings, const CompositeLoadHooks& hooks);

}  // namespace qx
