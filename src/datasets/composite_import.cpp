#include "datasets/composite_import.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>

#include "common/limits.h"
#include "io/column_pages.h"
#include "io/file.h"
#include "io/line_reader.h"
#include "io/text_encoding.h"
#include "port/ui_port.h"
#include "project/quarlex_settings.h"
#include "variables/variable_rules.h"

namespace qx {

namespace {

constexpr int kProgressEvery = 100;
// Lines read before the rest of the file is sized up from their mean length.
constexpr long kSampleLines = 256;

// Room for the lines still to come, guessed from the bytes left and the mean
// length of the lines so far, with a little to spare: a large file then fills
// one block instead of growing (and copying) its way up.
void reserveForRest(std::vector<CComposite>& composites, const CompositeFileReader& reader) {
  const std::optional<std::uint64_t> left = reader.bytesLeft();
  if (!left || reader.count() == 0 || reader.bytesRead() == 0) return;
  const std::uint64_t meanLength = std::max<std::uint64_t>(reader.bytesRead() / reader.count(), 1);
  const std::uint64_t rest = *left / meanLength;
  const std::uint64_t wanted = composites.size() + rest + rest / 32 + 16;
  if (wanted > composites.max_size()) return;
  try {
    composites.reserve(static_cast<std::size_t>(wanted));
  } catch (const std::bad_alloc&) {
    // A wild guess (short first lines, long later ones): grow as the lines come.
    return;
  }
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // A block this large is touched page by page as it fills; huge pages make
  // that a few hundred faults instead of tens of thousands. Only a hint.
  constexpr std::uintptr_t kPage = 4096;
  const auto first = (reinterpret_cast<std::uintptr_t>(composites.data()) + kPage - 1) & ~(kPage - 1);
  const auto last = reinterpret_cast<std::uintptr_t>(composites.data() + composites.capacity()) & ~(kPage - 1);
  if (last > first && last - first >= (std::uintptr_t{2} << 20))
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

void widen(CompositeSet& set, const DPoint3D& p) {
  set.minCorner = {std::min(set.minCorner.x, p.x), std::min(set.minCorner.y, p.y), std::min(set.minCorner.z, p.z)};
  set.maxCorner = {std::max(set.maxCorner.x, p.x), std::max(set.maxCorner.y, p.y), std::max(set.maxCorner.z, p.z)};
}

}  // namespace

std::string compositesLoadedText(long count) { return std::to_string(count) + " Composites Loaded"; }

ColumnDescription compositeLoadDescription(const CompositeSet& set, const QuarlexSettings& settings) {
  ColumnDescription d;
  for (int i = 0; i < CompositeSet::kFieldCount; ++i) {
    if (i == 3 && settings.projectType != kProject3D) continue;
    const auto k = static_cast<std::size_t>(i);
    d.add(set.fieldNames[k], set.fieldPositions[k], set.fieldWidths[k]);
  }
  for (const auto& v : settings.loaded) d.add(v.name, v.compositePosition, v.compositeWidth);
  return d;
}

void applyCompositeLoadDescription(const ColumnDescription& description, CompositeSet& set, QuarlexSettings& settings) {
  for (std::size_t i = 0; i < CompositeSet::kFieldCount; ++i) {
    if (const ColumnField* f = description.field(set.fieldNames[i])) {
      set.fieldPositions[i] = f->position;
      set.fieldWidths[i] = f->length;
    }
  }
  for (auto& v : settings.loaded) {
    if (const ColumnField* f = description.field(v.name)) {
      v.compositePosition = f->position;
      v.compositeWidth = f->length;
    }
  }
}

CompositeLayout compositeLayout(const CompositeSet& set, const QuarlexSettings& settings) {
  CompositeLayout layout;
  layout.name = {set.fieldPositions[0], set.fieldWidths[0]};
  layout.x = {set.fieldPositions[1], set.fieldWidths[1]};
  layout.y = {set.fieldPositions[2], set.fieldWidths[2]};
  layout.z = {set.fieldPositions[3], set.fieldWidths[3]};
  layout.readZ = settings.projectType == kProject3D;
  layout.variables.reserve(settings.loaded.size());
  for (const auto& v : settings.loaded) layout.variables.push_back({v.compositePosition, v.compositeWidth});
  return layout;
}

CompositeLayout compositeLayout(const ColumnDescription& description, const CompositeSet& set,
                                const QuarlexSettings& settings) {
  CompositeLayout layout = compositeLayout(set, settings);
  layout.delimited = description.delimited;
  std::vector<std::string> names(set.fieldNames.begin(), set.fieldNames.end());
  for (const auto& v : settings.loaded) names.push_back(v.name);
  layout.columns = delimitedColumns(description, names);
  return layout;
}

namespace {

// The first field of a record that the project cannot take, as "X = 1e+19";
// empty when every number is usable.
std::string unusableField(const CompositeRecord& r, const QuarlexSettings& settings) {
  const std::pair<const char*, double> coordinates[] = {{"X", r.position.x}, {"Y", r.position.y}, {"Z", r.position.z}};
  for (const auto& [name, v] : coordinates)
    if (!coordinateInRange(v)) return std::string(name) + " = " + formatGeneral(v);
  for (std::size_t k = 0; k < r.values.size(); ++k)
    if (!valueInRange(r.values[k])) {
      const std::string name = k < settings.loaded.size() ? displayText(settings.loaded[k].name) : "a value";
      return name + " = " + formatGeneral(r.values[k]);
    }
  return {};
}

}  // namespace

std::string compositeRefusalMessage(const std::string& path, const CompositeRefusals& refusals) {
  return std::to_string(refusals.count) + (refusals.count == 1 ? " line" : " lines") + " of " + path +
         " gave no composite: a coordinate beyond " + formatGeneral(kMaxCoordinate) + ", a value beyond " +
         formatGeneral(kMaxValue) + " or a number that is not finite.\nThe first is line " +
         std::to_string(refusals.firstLine) + ": " + refusals.firstWhat + ".";
}

int readComposites(ByteSource& source, CompositeSet& set, const QuarlexSettings& settings, ProgressWindow* progress,
                   CompositeRefusals* refusals) {
  return readComposites(source, compositeLayout(set, settings), set, settings, progress, refusals);
}

int readComposites(ByteSource& source, const CompositeLayout& layout, CompositeSet& set,
                   const QuarlexSettings& settings, ProgressWindow* progress, CompositeRefusals* refusals) {
  CompositeFileReader reader(source, layout);
  const bool rotate = set.importRotation.isActive();
  const DataExtents boxBefore{set.minCorner, set.maxCorner};
  // An empty set starts its box afresh, so that the box is exactly that of
  // the positions, even beyond the new-project sentinels of +-999999.
  if (set.composites.empty()) {
    constexpr double e = CompositeSet::kRecomputeExtent;
    set.minCorner = {e, e, e};
    set.maxCorner = {-e, -e, -e};
  }
  CompositeRecord record;
  std::vector<double> scratch;
  long read = 0;
  const std::size_t before = set.composites.size();
  const auto restore = [&] {
    set.composites.resize(before);
    set.composites.shrink_to_fit();
    set.minCorner = boxBefore.min;
    set.maxCorner = boxBefore.max;
  };
  long lines = 0;
  while (reader.next(record)) {
    if (reader.lines().nulLine() > 0) break;  // not a text file: read no further
    if (progress != nullptr && lines++ % kProgressEvery == 0) {
      progress->setText(compositesLoadedText(read));
      if (progress->cancelRequested()) {
        restore();
        return -1;
      }
    }
    if (read == kSampleLines) reserveForRest(set.composites, reader);
    CComposite c;
    c.position = record.position;
    if (rotate) set.importRotation.rotate(c.position.x, c.position.y, c.position.z, c.position);
    record.position = c.position;
    if (std::string what = unusableField(record, settings); !what.empty()) {
      if (refusals != nullptr) {
        if (refusals->count++ == 0) {
          refusals->firstLine = static_cast<long>(reader.count());
          refusals->firstWhat = std::move(what);
        }
      }
      continue;
    }
    c.name = std::move(record.name);
    widen(set, c.position);
    c.values = std::move(record.values);
    CompositeSet::computeCalculatedValues(c, settings, scratch);
    set.composites.push_back(std::move(c));
    ++read;
  }
  if (const DelimitedReader* d = reader.delimited(); d != nullptr && refusals != nullptr)
    refusals->delimited = d->report();
  const TextFault fault = textFault(reader.lines());
  const bool nothing = reader.delimited() != nullptr && !reader.delimited()->report().fatal.empty();
  if (fault || nothing) {
    restore();
    if (refusals != nullptr) refusals->text = fault;
    return kCompositeTextFault;
  }
  // A guess well above the count leaves much unused room: give it back.
  const std::size_t added = set.composites.size() - before;
  if (set.composites.capacity() - set.composites.size() > added / 8 + kSampleLines) set.composites.shrink_to_fit();
  set.singleFlag = 0;
  set.setVariableCounts(settings.loadedCount(), settings.calculatedCount());
  if (set.composites.empty()) set.recomputeBoundingBox();
  return static_cast<int>(read);
}

int finishCompositeLoad(int read, UiPort& port, CompositeSet& set, const CompositeLoadHooks& hooks) {
  if (read <= 0) return 0;
  if (set.count() <= 1) set.singleFlag = 1;
  const int removed = set.removeCoLocated(port);
  if (removed > 0) set.recomputeBoundingBox();
  if (hooks.process) hooks.process();
  return removed;
}

int loadComposites(UiPort& port, CompositeSet& set, QuarlexSettings& settings, const CompositeLoadHooks& hooks) {
  // 1. The file, and its first lines for the preview.
  FileDialogSpec spec;
  spec.title = kOpenCompositeTitle;
  spec.filter = kOpenCompositeFilter;
  spec.initialPath = settings.lastCompositeFile;
  const std::optional<std::string> path = port.chooseFile(spec);
  if (!path) return 0;
  std::vector<std::string> preview;
  {
    CFile file = openForReading(*path);
    if (!file) return 0;
    FileSource source(file.get());
    preview = readPreviewLines(source);
  }
  settings.lastCompositeFile = *path;

  // 2. The column wizard, with widths that cut no number of the first data line.
  CFileLoadPropertySheet sheet{std::string(kLoadCompositesTitle)};
  sheet.first() = compositeLoadDescription(set, settings);
  proposeColumns(sheet.first(), preview);
  sheet.firstPage().setPreviewLines(preview);
  sheet.firstPage().recall(settings.compositeFormat);
  sheet.firstPage().setRotationAllowed(true);
  if (!port.runSheet(sheet)) return 0;
  settings.compositeFormat = sheet.firstPage().choice();

  // 3. The rotation, edited on a copy so that Cancel keeps the old one.
  if (sheet.first().rotate && hooks.editRotation) {
    CParamsRotation rotation = set.importRotation;
    if (!hooks.editRotation(port, rotation)) return 0;
    set.importRotation = rotation;
  }

  // 4. The columns chosen go back to the fields and variables (a delimited
  // file's column names and numbers are not fixed columns: the set keeps its own).
  std::optional<WaitCursor> wait(std::in_place, port);
  const CompositeLayout layout = compositeLayout(sheet.first(), set, settings);
  if (!sheet.first().delimited) applyCompositeLoadDescription(sheet.first(), set, settings);

  // 5. Appending to composites already loaded.
  if (set.count() > 0 &&
      port.message(kAppendCompositesQuestion, MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes)
    return 0;

  // 6 to 10. The reading.
  int read = 0;
  CompositeRefusals refusals;
  {
    std::unique_ptr<ProgressWindow> progress = port.openProgress(ProgressKind::Text);
    progress->setTitle(kLoadingCompositesTitle);
    progress->enableCancel();
    CFile file = openForReading(*path);
    if (!file) return 0;
    FileSource source(file.get());
    read = sheet.first().delimited ? readComposites(source, layout, set, settings, progress.get(), &refusals)
                                   : readComposites(source, set, settings, progress.get(), &refusals);
  }
  wait.reset();
  if (read == kCompositeTextFault && refusals.text) {
    port.message(textFaultMessage(*path, refusals.text), MessageButtons::Ok, MessageIcon::Error);
    return 0;
  }
  if (!reportDelimitedRead(port, *path, refusals.delimited)) return 0;
  if (read < 0) {
    port.message(kCompositeLoadCancelled, MessageButtons::Ok, MessageIcon::Information);
    return 0;
  }
  if (refusals.count > 0)
    port.message(compositeRefusalMessage(*path, refusals), MessageButtons::Ok, MessageIcon::Warning);

  // 11. Co-located composites and processing.
  finishCompositeLoad(read, port, set, hooks);
  return read > 0 ? set.count() : 0;
}

}  // namespace qx
