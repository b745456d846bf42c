#pragma once
// The two "File Format" pages that edit a column description, and the
// import wizard that holds them.
//
// CFileFormat (input): a chooser of the fields, "Position" and "Length" of the
// chosen field, "&Select" to take the columns from a selection in the preview,
// the preview itself and "Rotate The Input Data". Finish is refused while a
// required field has length 0.
//
// CAsciiFormatPage (output): the same with "Decimals", a ruler box showing
// which columns the fields use, and "Rotate The Output Data". When column 1
// carries the envelope or figure tag, no field may start there.
//
// Both pages edit the description they are given in place; the sheet that owns
// the description outlives the pages' use of it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/columns.h"
#include "port/dialog_model.h"

namespace qx {

// The wizard buttons a page asks for when it becomes active (the bits the
// desktop's wizard reads from every page).
struct FormatPageButtons {
  static constexpr unsigned kBack = 1u;
  static constexpr unsigned kNext = 2u;
  static constexpr unsigned kFinish = 4u;
};

// The message of a number typed outside a field's range: "Please enter an integer between 0 and 512."
std::string integerRangeMessage(long long lower, long long upper);

inline constexpr std::string_view kTagColumnMessage =
    "Field 1 is reserved for the envelope/figure tag\nFields can only start at positon 2 or greater.";

// What the two pages share: the description, the chooser and the placement
// of the page in its sheet.
class ColumnFormatPage : public PageModel {
 public:
  explicit ColumnFormatPage(ColumnDescription& description) : description_(&description) {}

  std::string title() const override { return "File Format"; }

  // Where the page stands in its sheet: page `index` of `count` (wizard buttons).
  void setPlacement(int index, int count) {
    pageIndex_ = index;
    pageCount_ = count;
  }
  bool isLastPage() const { return pageIndex_ + 1 >= pageCount_; }
  unsigned wizardButtons() const { return wizardButtons_; }

  const ColumnDescription& description() const { return *description_; }
  // The chooser ("Field Name"): the names in order.
  std::vector<std::string> fieldNames() const;
  // The chosen field, -1 when the description has none. The first field is
  // chosen when the page opens.
  int currentField() const { return chosenField() != nullptr ? current_ : -1; }
  // Changing the chooser; an index outside the list changes nothing.
  void chooseField(int index);
  // The chosen field's values as the edits show them (0 without a field).
  std::int32_t position() const;
  std::int32_t length() const;

  // "&Select": the selection in the preview or ruler box, columns counted from
  // 0 from the start of its line. When end > start the chosen field takes
  // position start + 1 and length end - start, and the focus returns to the
  // chooser; true when the field changed.
  virtual bool select(UiPort& port, int start, int end);
  // The focus went back to the chooser after "&Select"; the desktop reads and clears it.
  bool takeChooserFocus() {
    const bool f = chooserFocus_;
    chooserFocus_ = false;
    return f;
  }

  // The rotation check box and whether the dataset offers it.
  bool rotationVisible() const { return rotationAllowed_; }
  void setRotationAllowed(bool allowed) { rotationAllowed_ = allowed; }
  bool rotate() const { return description_->rotate; }
  void setRotate(bool on) { description_->rotate = on; }

 protected:
  ColumnField* chosen() { return const_cast<ColumnField*>(chosenField()); }
  const ColumnField* chosenField() const;
  // Shows the range message and returns false when `value` lies outside [lower, upper].
  static bool checkRange(UiPort& port, long long value, long long lower, long long upper);

  ColumnDescription* description_;
  int current_ = 0;
  int pageIndex_ = 0;
  int pageCount_ = 1;
  unsigned wizardButtons_ = 0;
  bool rotationAllowed_ = false;
  bool chooserFocus_ = false;
};

class CFileFormat : public ColumnFormatPage {
 public:
  static constexpr std::string_view kKind = "file_format";
  static constexpr long long kMaxPosition = 512;
  static constexpr long long kMaxLength = 511;

  explicit CFileFormat(ColumnDescription& description, std::string preview = {})
      : ColumnFormatPage(description), preview_(std::move(preview)) {}

  std::string_view kind() const override { return kKind; }

  // The preview box. Fixed columns: the rulers and the first lines of the
  // file (qx::previewText). Delimited: each line's fields joined by " | ",
  // each padded to the widest of its column but the line's last; a line that
  // does not split shown as kUnsplitLine.
  std::string previewText() const;
  void setPreviewText(std::string preview) { preview_ = std::move(preview); }
  // The file's first lines: both previews and the header's column names.
  void setPreviewLines(const std::vector<std::string>& lines);
  static constexpr std::string_view kUnsplitLine = "(a quote is not closed)";

  // "Fixed Columns" or "Delimited". Each keeps its own columns: switching
  // puts the other's back as they were (delimited ones start out as none).
  bool delimited() const { return description_->delimited.has_value(); }
  void setDelimited(bool on);
  // The separator and "Header Row" of a delimited file.
  DelimitedFormat format() const { return description_->delimited.value_or(format_); }
  void setSeparator(Separator separator);
  void setHeader(bool on);
  // What a field's column can be: kNoColumn, then with a header row the
  // names in the file's first line that is not blank, else "Column 1" up to
  // the most fields of a preview line (or the highest column chosen).
  std::vector<std::string> columnChoices() const;
  static constexpr std::string_view kNoColumn = "(none)";
  // The entry of columnChoices() that field `index` takes (0: none, or a
  // column the file lacks), and choosing one.
  int fieldColumn(int index) const;
  void setFieldColumn(int index, int choice);
  // The import's remembered choice, put on the page before it opens (fixed
  // columns stay those the dataset gave), and the page's choice after Finish.
  void recall(const DelimitedChoice& choice);
  DelimitedChoice choice() const;

  // The chooser is filled and its first field chosen; the wizard shows Finish
  // alone on a one-page sheet, Next on the first of two pages, Back and Finish
  // on the last of two.
  void onSetActive() override;
  // "Position" (0 to 512) and "Length" (0 to 511) as the page's data exchange
  // reads them: the values are checked in that order and, when both are in
  // range, stored into the chosen field at once; otherwise the range message is
  // shown and the field keeps its old values.
  bool setValues(UiPort& port, long long position, long long length);
  bool setPosition(UiPort& port, long long value) { return setValues(port, value, length()); }
  bool setLength(UiPort& port, long long value) { return setValues(port, position(), value); }

  // Finish: the first required field with length 0, in chooser order, is
  // refused with "<name> must have length > 0" and the page stays.
  bool onOk(UiPort& port) override;
  // Leaving by Next checks nothing; Finish (the last page) checks as onOk.
  bool onKillActive(UiPort& port) override { return isLastPage() ? onOk(port) : true; }

 private:
  std::vector<std::string> headerNames() const;

  std::string preview_;
  std::vector<std::string> lines_;        // byte-order mark dropped
  std::vector<ColumnField> otherFields_;  // the columns of the kind not shown
  DelimitedFormat format_;                // kept while fixed columns are shown
};

class CAsciiFormatPage : public ColumnFormatPage {
 public:
  static constexpr std::string_view kKind = "ascii_format";
  static constexpr long long kMaxPosition = 2000;
  static constexpr long long kMaxLength = 1000;
  static constexpr long long kMaxDecimals = 10;

  explicit CAsciiFormatPage(ColumnDescription& description, bool tagColumn = false)
      : ColumnFormatPage(description), tagColumn_(tagColumn) {}

  std::string_view kind() const override { return kKind; }

  // Column 1 carries the envelope or figure tag.
  bool tagColumn() const { return tagColumn_; }
  void setTagColumn(bool on) { tagColumn_ = on; }

  // "Decimals" is enabled unless the chosen field is written without decimals.
  bool decimalsEnabled() const;
  std::int32_t decimals() const;

  // The ruler box: rulers and the usage line, from the description as it stands.
  std::string rulerText() const { return outputRulerText(*description_); }

  // The wizard shows Finish alone on a one-page sheet, else Back and Finish.
  void onSetActive() override;
  // "Position" (0 to 2000), "Length" (0 to 1000) and "Decimals" (0 to 10), read
  // in that order; a value out of range shows the range message and nothing is
  // stored. With the tag column, position 1 shows kTagColumnMessage and nothing
  // is stored. Otherwise the three values are stored into the chosen field
  // (decimals only while "Decimals" is enabled) and the ruler follows.
  bool setValues(UiPort& port, long long position, long long length, long long decimals);
  bool setPosition(UiPort& port, long long value) { return setValues(port, value, length(), decimals()); }
  bool setLength(UiPort& port, long long value) { return setValues(port, position(), value, decimals()); }
  bool setDecimals(UiPort& port, long long value) { return setValues(port, position(), length(), value); }

  // As on the input page; with the tag column a selection that starts in the
  // first column is refused with kTagColumnMessage.
  bool select(UiPort& port, int start, int end) override;

 private:
  bool tagColumn_ = false;
};

// The columns proposed for a file of one record per line, from the first
// data line of its preview (the first line with a blank-separated token that
// is a decimal number): a field whose last column cuts its token short (the
// field holds blanks, then the token, which goes on after it) is widened to the
// token's end, and a field that the widened one now overlaps starts after it,
// keeping its own end. A token that runs through the next field's last
// column (fields written without blanks between them) widens nothing.
// Fields of position or length 0 are left alone. True when a field changed.
bool proposeColumns(ColumnDescription& description, const std::vector<std::string>& previewLines);

// The import wizard: one column description for a single file, or two when a
// dataset is read from a header file and a vertex file, each with its input
// page. The dataset fills the descriptions and the previews, runs the sheet
// through the port and proceeds only on Finish.
class CFileLoadPropertySheet : public SheetModel {
 public:
  // `twoFiles`: a second description and page for the vertex file.
  CFileLoadPropertySheet(std::string title, bool twoFiles = false);
  CFileLoadPropertySheet(const CFileLoadPropertySheet&) = delete;
  CFileLoadPropertySheet& operator=(const CFileLoadPropertySheet&) = delete;

  // The single file's (or the header file's) description and page.
  ColumnDescription& first() { return first_; }
  CFileFormat& firstPage() { return *firstPage_; }
  // The vertex file's; only when the sheet was made for two files.
  ColumnDescription& second() { return second_; }
  CFileFormat* secondPage() { return secondPage_.get(); }

 private:
  ColumnDescription first_;
  ColumnDescription second_;
  std::unique_ptr<CFileFormat> firstPage_;
  std::unique_ptr<CFileFormat> secondPage_;
};

// After a delimited file was read: when nothing could be read, the error is
// shown and the result is false; lines passed over are shown as a warning.
bool reportDelimitedRead(UiPort& port, const std::string& path, const DelimitedReport& report);

}  // namespace qx
