// The desktop's side of data faults: names from files written on Windows
// (Windows-1252 bytes) show as their characters in the lists, a name typed in
// the desktop is stored so that it reads back the same, and a long operation
// can be cancelled from its progress window.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "datasets/composite_envelope_page.h"
#include "datasets/envelope_dialogs.h"
#include "engine/figures.h"
#include "engine/result_export.h"
#include "qt_environment.h"
#include "scripted_port.h"
#include "ui/progress_dialogs.h"
#include "ui/properties_widgets.h"
#include "ui/selection_pages_widgets.h"

using namespace qx;

TEST(Names, WindowsBytesShowAsCharactersAndTypedNamesReadBack) {
  test::qtApp();
  CPropPageCompositeEnvelopes envelopes({"Zona \xD1", "Norte"}, {1, 0}, false);
  CompositeEnvelopesWidget envelopeList(envelopes);
  envelopeList.loadFromModel();
  EXPECT_EQ(envelopeList.list()->topLevelItem(0)->text(0), QString::fromUtf8("Zona \xC3\x91"));

  FigureSet figures;
  figures.figures.resize(2);
  figures.figures[0].name = "Banco 5\xB0";
  figures.figures[1].name = "Ley \xE9 \x80";
  CPropPageSelectFigures select(figures);
  SelectFiguresWidget figureList(select);
  figureList.loadFromModel();
  EXPECT_EQ(figureList.group()->item(1)->text(), QString::fromUtf8("Ley \xC3\xA9 \xE2\x82\xAC"));

  test::ScriptedPort port;
  CEnvelopePropertiesDialog dialog(nullptr);
  NameColourWidget edit(dialog, port);
  edit.loadFromModel();
  edit.name()->setText(QString::fromUtf8("Zona \xC3\x91"));
  ASSERT_TRUE(edit.storeToModel(&port));
  EXPECT_EQ(dialog.name(), "Zona \xC3\x91");
  edit.loadFromModel();
  EXPECT_EQ(edit.name()->text(), QString::fromUtf8("Zona \xC3\x91"));
}

TEST(ProgressWindow, CancelTakesTheApplicationsInputAndIsHeard) {
  test::qtApp();
  CProgressDlg window(ProgressKind::Bar);
  EXPECT_EQ(window.cancelButton(), nullptr);
  window.enableCancel();
  ASSERT_NE(window.cancelButton(), nullptr);
  EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);
  EXPECT_FALSE(window.cancelRequested());
  window.cancelButton()->click();
  EXPECT_TRUE(window.cancelRequested());
}
