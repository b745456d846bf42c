// The widget of each dialog model the desktop shows.
#include "datasets/composite_envelope_page.h"
#include "datasets/envelope_dialogs.h"
#include "datasets/envelope_export.h"
#include "datasets/surface_import.h"
#include "engine/result_export.h"
#include "io/column_pages.h"
#include "project/model_parameters_page.h"
#include "sections/rotation_dialog.h"
#include "ui/add_field_widget.h"
#include "ui/column_format_widget.h"
#include "ui/data_fields_widget.h"
#include "ui/formula_widget.h"
#include "ui/model_parameters_widget.h"
#include "ui/model_widget.h"
#include "ui/plot_widgets.h"
#include "ui/properties_widgets.h"
#include "ui/property_widgets.h"
#include "ui/selection_pages_widgets.h"
#include "ui/settings_widgets.h"
#include "variables/entry_dialogs.h"
#include "variables/field_name_entry.h"
#include "variables/formula_dialog.h"

namespace qx {

namespace {

// A factory for widget W over model M; the model's kind guarantees its type.
template <typename M, typename Make>
WidgetRegistry::Factory bind(Make make) {
  return [make](DialogModel& model, UiPort& port, QWidget* parent) -> ModelWidget* {
    auto* typed = dynamic_cast<M*>(&model);
    return typed == nullptr ? nullptr : make(*typed, port, parent);
  };
}

}  // namespace

void registerStandardWidgets(WidgetRegistry& registry) {
  registry.add(CFieldNameEntry::kKind, bind<CFieldNameEntry>([](CFieldNameEntry& m, UiPort& port, QWidget* parent) {
                 return new CFieldNameEntryWidget(m, port, parent);
               }));
  registry.add(CAddFieldEntry::kKind, bind<CAddFieldEntry>([](CAddFieldEntry& m, UiPort& port, QWidget* parent) {
                 return new CAddFieldEntryWidget(m, port, parent);
               }));
  registry.add(CSpecGravPage::kKind, bind<CSpecGravPage>([](CSpecGravPage& m, UiPort&, QWidget* parent) {
                 return new CSpecGravPageWidget(m, parent);
               }));
  registry.add(CFormulaDialog::kKind, bind<CFormulaDialog>([](CFormulaDialog& m, UiPort& port, QWidget* parent) {
                 return new CFormulaWidget(m, port, parent);
               }));
  const auto columns = bind<ColumnFormatPage>(
      [](ColumnFormatPage& m, UiPort& port, QWidget* parent) { return new ColumnFormatWidget(m, port, parent); });
  registry.add(CFileFormat::kKind, columns);
  registry.add(CAsciiFormatPage::kKind, columns);
  registry.add(CEnvelopePropertiesDialog::kKind,
               bind<CEnvelopePropertiesDialog>([](CEnvelopePropertiesDialog& m, UiPort& port, QWidget* parent) {
                 return new NameColourWidget(m, port, parent);
               }));
  registry.add(CSurfacePropertiesDialog::kKind,
               bind<CSurfacePropertiesDialog>([](CSurfacePropertiesDialog& m, UiPort& port, QWidget* parent) {
                 return new NameColourWidget(m, port, parent);
               }));
  registry.add(CPropPageCompositeEnvelopes::kKind,
               bind<CPropPageCompositeEnvelopes>([](CPropPageCompositeEnvelopes& m, UiPort&, QWidget* parent) {
                 return new CompositeEnvelopesWidget(m, parent);
               }));
  registry.add(CPropPageExportEnvelopes::kKind,
               bind<CPropPageExportEnvelopes>([](CPropPageExportEnvelopes& m, UiPort&, QWidget* parent) {
                 return new ExportEnvelopesWidget(m, parent);
               }));
  registry.add(CPropPageSelectFigures::kKind,
               bind<CPropPageSelectFigures>([](CPropPageSelectFigures& m, UiPort&, QWidget* parent) {
                 return new SelectFiguresWidget(m, parent);
               }));
  registry.add(CDialogRotationParams::kKind,
               bind<CDialogRotationParams>([](CDialogRotationParams& m, UiPort&, QWidget* parent) {
                 return new CDialogRotationParamsWidget(m, parent);
               }));
  registerPlotWidgets(registry);
  registerPropertyWidgets(registry);
  registerSettingsWidgets(registry);
}

}  // namespace qx
