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
#include "ui/edit_widgets.h"
#include "ui/formula_widget.h"
#include "ui/gis_widgets.h"
#include "ui/model_parameters_widget.h"
#include "ui/model_widget.h"
#include "ui/plot_widgets.h"
#include "ui/properties_widgets.h"
#include "ui/property_widgets.h"
#include "ui/results_widgets.h"
#include "ui/selection_pages_widgets.h"
#include "ui/settings_widgets.h"
#include "variables/entry_dialogs.h"
#include "variables/field_name_entry.h"
#include "variables/formula_dialog.h"

namespace qx {

void registerStandardWidgets(WidgetRegistry& registry) {
  registry.add(CFieldNameEntry::kKind, widgetFactory<CFieldNameEntry, CFieldNameEntryWidget>());
  registry.add(CAddFieldEntry::kKind, widgetFactory<CAddFieldEntry, CAddFieldEntryWidget>());
  registry.add(CSpecGravPage::kKind, widgetFactory<CSpecGravPage, CSpecGravPageWidget>());
  registry.add(CFormulaDialog::kKind, widgetFactory<CFormulaDialog, CFormulaWidget>());
  const auto columns = widgetFactory<ColumnFormatPage, ColumnFormatWidget>();
  registry.add(CFileFormat::kKind, columns);
  registry.add(CAsciiFormatPage::kKind, columns);
  registry.add(CEnvelopePropertiesDialog::kKind, widgetFactory<CEnvelopePropertiesDialog, NameColourWidget>());
  registry.add(CSurfacePropertiesDialog::kKind, widgetFactory<CSurfacePropertiesDialog, NameColourWidget>());
  registry.add(CPropPageCompositeEnvelopes::kKind,
               widgetFactory<CPropPageCompositeEnvelopes, CompositeEnvelopesWidget>());
  registry.add(CPropPageExportEnvelopes::kKind, widgetFactory<CPropPageExportEnvelopes, ExportEnvelopesWidget>());
  registry.add(CPropPageSelectFigures::kKind, widgetFactory<CPropPageSelectFigures, SelectFiguresWidget>());
  registry.add(CDialogRotationParams::kKind, widgetFactory<CDialogRotationParams, CDialogRotationParamsWidget>());
  registerEditWidgets(registry);
  registerPlotWidgets(registry);
  registerGisWidgets(registry);
  registerPropertyWidgets(registry);
  registerResultsWidgets(registry);
  registerSettingsWidgets(registry);
}

}  // namespace qx
