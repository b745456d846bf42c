#include "ui/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>

#include "app/command_messages.h"
#include "app/document.h"
#include "app/project_file.h"
#include "app/version.h"
#include "io/delimited.h"
#include "scene/digitizer.h"
#include "scene/picking.h"
#include "scene/view_controller.h"
#include "ui/glyph_icon.h"
#include "ui/information_widget.h"
#include "ui/print_view.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_port.h"
#include "ui/quarlex_view.h"

namespace qx {

namespace {

constexpr const char* kRecentGroup = "Recent File List";
constexpr const char* kBarStateKey = "Settings/BarState";
constexpr int kBarStateVersion = 1;

// The application profile: organisation "Velmora Software", application "wQuarlex".
std::unique_ptr<QSettings> openProfile() {
  return std::make_unique<QSettings>(QString::fromLatin1(kProfileKey), QString::fromLatin1(kApplicationName));
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About wQuarlex"));
  auto* icon = new QLabel(this);
  icon->setPixmap(svgIcon(QStringLiteral("app")).pixmap(32, 32));
  version_ = new QLabel(qs(aboutText()), this);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addWidget(version_, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}

CMainFrame::CMainFrame(CWQuarlexDoc& doc, Options options, QWidget* parent)
    : QMainWindow(parent), doc_(doc), options_(options), recent_(options.recentFileCount), files_(doc, recent_, [this] {
        recentFilesChanged();
      }) {
  if (doc_.scene() != nullptr) {
    controller_ = std::make_unique<ViewController>(*doc_.scene(), doc_.sceneProject());
    controller_->setModifiedListener([this] { doc_.setModifiedFlag(true); });
    ProjectObjects& o = doc_.objects();
    digitizer_ = std::make_unique<Digitizer>(DigitizeSources{*doc_.scene(), controller_->builder(), o.sceneModel,
                                                             o.polygons, o.figures, o.envelopes, o.viewGrid});
    doc_.editTools().setPick([this](int mode) { return waitForPick(mode); });
  }
  setWindowIcon(svgIcon(QStringLiteral("app")));
  buildMenus();
  buildToolBars();
  buildStatusBar();
  buildCentralWidget(options_.useOpenGL);
  loadSettings();
  doc_.setChangeListener([this] {
    updateTitle();
    updateCommandStates();
    refreshInformation();
  });
  // The desktop's file dialogs start in the project's folder.
  if (auto* port = dynamic_cast<QtUiPort*>(&doc_.port()))
    port->setProjectFolder([this] { return projectFolder(doc_); });
  updateTitle();
  updateCommandStates();
}

CMainFrame::~CMainFrame() {
  if (controller_ != nullptr) doc_.editTools().setPick({});
  doc_.setChangeListener({});
  if (auto* port = dynamic_cast<QtUiPort*>(&doc_.port())) port->setProjectFolder({});
  if (doc_.view() == view_) doc_.setView(nullptr);
}

QAction* CMainFrame::action(CommandId id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QLabel* CMainFrame::statusPane(int index) const {
  return index >= 0 && index < static_cast<int>(statusPanes_.size()) ? statusPanes_[static_cast<size_t>(index)]
                                                                     : nullptr;
}

void CMainFrame::buildMenus() {
  for (std::string_view title : menuTitles()) {
    QMenu* menu = menuBar()->addMenu(qs(title));
    menus_.push_back(menu);
    for (const MenuEntry& entry : menuTable()) {
      if (entry.menu != title) continue;
      if (entry.separatorBefore) menu->addSeparator();
      // "&New\tCtrl+N": the text, then the accelerator.
      const QString text = qs(entry.text);
      const qsizetype tab = text.indexOf(QLatin1Char('\t'));
      QAction* action = menu->addAction(tab < 0 ? text : text.left(tab));
      if (tab >= 0) action->setShortcut(QKeySequence(text.mid(tab + 1), QKeySequence::PortableText));
      action->setStatusTip(qs(entry.prompt));
      action->setToolTip(qs(entry.prompt));  // the tool-bar buttons that share the action
      action->setCheckable(entry.checkable);
      action->setIconVisibleInMenu(false);
      action->setMenuRole(QAction::NoRole);
      const CommandId id = entry.id;
      connect(action, &QAction::triggered, this, [this, id](bool checked) { onCommand(id, checked); });
      actions_[id] = action;
    }
    // The state of every entry is read again each time the menu opens.
    connect(menu, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
  }
  fileMenu_ = menus_.empty() ? nullptr : menus_.front();
  if (fileMenu_ != nullptr) connect(fileMenu_, &QMenu::aboutToShow, this, [this] { rebuildRecentFileEntries(); });
}

QAction* CMainFrame::placeholder(QToolBar* bar, const QString& glyph, const QString& text) {
  // A button whose command this build does not carry out yet: shown, never enabled.
  QAction* action = bar->addAction(svgIcon(glyph), text);
  action->setStatusTip(text);
  action->setToolTip(text);
  action->setEnabled(false);
  return action;
}

void CMainFrame::buildToolBars() {
  auto makeBar = [this](const char* name, const QString& title) {
    QToolBar* bar = addToolBar(title);
    bar->setObjectName(QLatin1String(name));
    bar->setIconSize(QSize(20, 20));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    return bar;
  };

  fileBar_ = makeBar("FileToolBar", QStringLiteral("Toolbar"));
  const std::pair<CommandId, const char*> fileButtons[] = {
      {CommandId::FileNew, "new"},
      {CommandId::FileOpen, "open"},
      {CommandId::FileSave, "save"},
      {CommandId::FilePrint, "print"},
  };
  for (const auto& [id, icon] : fileButtons) {
    action(id)->setIcon(svgIcon(QLatin1String(icon)));
    fileBar_->addAction(action(id));
  }

  digitizeBar_ = makeBar("DigitizeToolBar", QStringLiteral("Digitize"));
  modifyBar_ = makeBar("ModifyToolBar", QStringLiteral("Modify"));
  buildEditBars();

  // The section view bar and the two dialog bars start a second row.
  addToolBarBreak(Qt::TopToolBarArea);
  // Buttons that are menu commands share the menu's action, so they follow its rule.
  sectionViewBar_ = makeBar("SectionViewToolBar", QStringLiteral("Section View"));
  const std::pair<CommandId, const char*> datasetCommands[] = {
      {CommandId::Zoom, "zoom_box"},
      {CommandId::ZoomAll, "zoom_all"},
      {CommandId::PanView, "pan"},
      {CommandId::PanLeft, "pan_left"},
      {CommandId::PanRight, "pan_right"},
      {CommandId::PanUp, "pan_up"},
      {CommandId::PanDown, "pan_down"},
      {CommandId::UndoViewChange, "view_undo"},
      {CommandId::RedoViewChange, "view_redo"},
      {CommandId::ViewComposites, "composites"},
      {CommandId::ViewPolygons, "polygons"},
      {CommandId::ViewEnvelopes, "envelopes"},
      {CommandId::ViewFigures, "figures"},
      {CommandId::ViewSurfaces, "surfaces"},
      {CommandId::ViewGrid, "grid"},
  };
  for (const auto& [id, glyph] : datasetCommands) {
    action(id)->setIcon(svgIcon(QLatin1String(glyph)));
    sectionViewBar_->addAction(action(id));
  }

  sectionBar_ = makeBar("SectionBar", QStringLiteral("Section Bar"));
  sectionBar_->addWidget(new QLabel(QStringLiteral(" Sections: "), sectionBar_));
  sectionCombo_ = new QComboBox(sectionBar_);
  sectionCombo_->setMinimumWidth(180);
  sectionCombo_->setEnabled(false);
  sectionBar_->addWidget(sectionCombo_);
  connect(sectionCombo_, &QComboBox::activated, this, [this](int index) {
    if (controller_ == nullptr) return;
    controller_->selectSection(index);
    sceneChanged();
  });

  renderingBar_ = makeBar("RenderingBar", QStringLiteral("Polygon Rendering"));
  renderingBar_->addWidget(new QLabel(QStringLiteral(" Polygon Rendering "), renderingBar_));
  renderingCombo_ = new QComboBox(renderingBar_);
  renderingCombo_->setMinimumWidth(120);
  for (std::string_view name : kRenderingModeNames) renderingCombo_->addItem(qs(name));
  renderingCombo_->setEnabled(false);
  renderingBar_->addWidget(renderingCombo_);
  connect(renderingCombo_, &QComboBox::activated, this, [this](int mode) {
    if (controller_ == nullptr) return;
    controller_->setPolygonRendering(mode);
    sceneChanged();
  });
  renderingBar_->addWidget(new QLabel(QStringLiteral("  Vertical Exaggeration "), renderingBar_));
  exaggerationCombo_ = new QComboBox(renderingBar_);
  for (double step : kExaggerationSteps) exaggerationCombo_->addItem(QString::number(step), step);
  exaggerationCombo_->setEnabled(false);
  renderingBar_->addWidget(exaggerationCombo_);
  connect(exaggerationCombo_, &QComboBox::activated, this, [this](int index) {
    if (controller_ == nullptr) return;
    controller_->setVerticalExaggeration(exaggerationCombo_->itemData(index).toDouble());
    sceneChanged();
  });
}

void CMainFrame::buildStatusBar() {
  QStatusBar* bar = statusBar();
  for (int i = 0; i < kStatusPaneCount; ++i) {
    auto* pane = new QLabel(bar);
    if (i == 0) {
      pane->setText(QString::fromLatin1(kInitialStatusText));
      bar->addWidget(pane, 1);  // the first pane stretches; prompts cover it while shown
    } else {
      pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      pane->setMinimumWidth(60);
      bar->addPermanentWidget(pane);
    }
    statusPanes_.push_back(pane);
  }
}

void CMainFrame::buildCentralWidget(bool useOpenGL) {
  if (useOpenGL && CWQuarlexView::openGLAvailable()) {
    view_ = new CWQuarlexView(this);
    setCentralWidget(view_);
    doc_.setView(view_);
    connect(view_, &CWQuarlexView::dataChanged, this, &CMainFrame::refreshInformation);
    connect(view_, &CWQuarlexView::compositeWasRemoved, this, &CMainFrame::compositeRemoved);
    connectView();
    return;
  }
  auto* message =
      new QLabel(QStringLiteral("The 3D view needs OpenGL, and no OpenGL context can be made on this display.\n"
                                "The project's data are kept; the view is not drawn."),
                 this);
  message->setObjectName(QStringLiteral("NoOpenGLMessage"));
  message->setAlignment(Qt::AlignCenter);
  message->setWordWrap(true);
  setCentralWidget(message);
}

namespace {

// The imports' "File Format" choices in the profile, one map each.
constexpr const char* kFormatKeys[] = {"Composites", "Envelopes", "Surfaces", "Figures"};
constexpr const char* kFormatsGroup = "File Formats";

void saveFileFormats(QSettings& profile, const QuarlexSettings& settings) {
  profile.beginGroup(QLatin1String(kFormatsGroup));
  for (std::size_t i = 0; i < std::size(kFormatKeys); ++i) {
    const DelimitedChoice& c = settings.*kFileFormatChoices[i];
    QVariantList fields;
    for (const ColumnField& f : c.fields) fields << QVariant(QVariantList{qs(f.name), qs(f.header), f.position});
    profile.setValue(QLatin1String(kFormatKeys[i]),
                     QVariantMap{{QStringLiteral("delimited"), c.on},
                                 {QStringLiteral("separator"), qs(std::string(separatorName(c.format.separator)))},
                                 {QStringLiteral("header"), c.format.header},
                                 {QStringLiteral("fields"), fields}});
  }
  profile.endGroup();
}

// What cannot be read back (another version's profile, a hand edit) is left
// as the program starts it.
void loadFileFormats(QSettings& profile, QuarlexSettings& settings) {
  profile.beginGroup(QLatin1String(kFormatsGroup));
  for (std::size_t i = 0; i < std::size(kFormatKeys); ++i) {
    const QVariantMap m = profile.value(QLatin1String(kFormatKeys[i])).toMap();
    const auto separator = separatorFromName(m.value(QStringLiteral("separator")).toString().toStdString());
    if (m.isEmpty() || !separator) continue;
    DelimitedChoice c;
    c.on = m.value(QStringLiteral("delimited")).toBool();
    c.format = {*separator, m.value(QStringLiteral("header")).toBool()};
    bool whole = true;
    for (const QVariant& v : m.value(QStringLiteral("fields")).toList()) {
      const QVariantList f = v.toList();
      const int position = f.size() == 3 ? f[2].toInt(&whole) : -1;
      if (!whole || position < 0 || position > 100000) {
        whole = false;
        break;
      }
      ColumnField field;
      field.name = f[0].toString().toStdString();
      field.header = f[1].toString().toStdString();
      field.position = position;
      c.fields.push_back(std::move(field));
    }
    if (whole) settings.*kFileFormatChoices[i] = std::move(c);
  }
  profile.endGroup();
}

}  // namespace

void CMainFrame::loadSettings() {
  const std::unique_ptr<QSettings> profile = openProfile();
  QSettings& settings = *profile;
  std::vector<std::string> files;
  settings.beginGroup(QLatin1String(kRecentGroup));
  for (int i = 1; i <= options_.recentFileCount; ++i)
    files.push_back(settings.value(QStringLiteral("File%1").arg(i)).toString().toStdString());
  settings.endGroup();
  recent_.assign(files);
  loadFileFormats(settings, doc_.objects().settings);
  restoreState(settings.value(QLatin1String(kBarStateKey)).toByteArray(), kBarStateVersion);
}

void CMainFrame::saveRecentFiles(QSettings& settings) const {
  settings.beginGroup(QLatin1String(kRecentGroup));
  for (int i = 1; i <= options_.recentFileCount; ++i) {
    const QString key = QStringLiteral("File%1").arg(i);
    if (i <= static_cast<int>(recent_.files().size())) {
      settings.setValue(key, qs(recent_.files()[static_cast<size_t>(i - 1)]));
    } else {
      settings.remove(key);
    }
  }
  settings.endGroup();
}

void CMainFrame::saveSettings() const {
  const std::unique_ptr<QSettings> profile = openProfile();
  saveRecentFiles(*profile);
  saveFileFormats(*profile, doc_.objects().settings);
  profile->setValue(QLatin1String(kBarStateKey), saveState(kBarStateVersion));
}

QStringList CMainFrame::recentFiles() const {
  QStringList files;
  for (const std::string& file : recent_.files()) files << qs(file);
  return files;
}

// The list goes into the profile at once, so a program that ends abnormally
// still offers the files it opened.
void CMainFrame::recentFilesChanged() {
  saveRecentFiles(*openProfile());
  updateCommandStates();
}

void CMainFrame::addRecentFile(const QString& path) {
  recent_.add(path.toStdString());
  recentFilesChanged();
}

void CMainFrame::removeRecentFile(const QString& path) {
  if (recent_.remove(path.toStdString())) recentFilesChanged();
}

void CMainFrame::rebuildRecentFileEntries() {
  QAction* placeholderEntry = action(CommandId::FileMru);
  for (QAction* entry : recentActions_) {
    fileMenu_->removeAction(entry);
    entry->deleteLater();
  }
  recentActions_.clear();
  // With an empty list the entry "Recent File" stands there, disabled.
  const std::vector<std::string>& files = recent_.files();
  placeholderEntry->setVisible(files.empty());
  for (size_t i = 0; i < files.size(); ++i) {
    auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(qs(files[i])), fileMenu_);
    entry->setStatusTip(placeholderEntry->statusTip());
    entry->setEnabled(files_.isEnabled(CommandId::FileMru));
    const int index = static_cast<int>(i);
    connect(entry, &QAction::triggered, this, [this, index] {
      files_.openRecent(index);
      updateCommandStates();
    });
    fileMenu_->insertAction(placeholderEntry, entry);
    recentActions_.push_back(entry);
  }
}

QToolBar* CMainFrame::barOf(CommandId id) const {
  switch (id) {
    case CommandId::ViewFileToolBar: return fileBar_;
    case CommandId::ViewDigitizeToolBar: return digitizeBar_;
    case CommandId::ViewModifyToolBar: return modifyBar_;
    case CommandId::ViewSectionToolBar: return sectionViewBar_;
    case CommandId::ViewSectionBar: return sectionBar_;
    default: return nullptr;
  }
}

bool CMainFrame::isChecked(CommandId id) const {
  if (const QToolBar* bar = barOf(id)) return !bar->isHidden();
  if (id == CommandId::ViewStatusBar) return !statusBar()->isHidden();
  if (id == CommandId::ViewInformationDialog) return info_ != nullptr && !info_->isHidden();
  return qx::isChecked(id, doc_.commandContext());
}

void CMainFrame::updateCommandStates() {
  for (const auto& [id, action] : actions_) {
    action->setEnabled(files_.isEnabled(id));
    if (action->isCheckable()) action->setChecked(isChecked(id));
  }
  updateEditActions();
  updateBars();
}

void CMainFrame::updateBars() {
  const CommandContext context = doc_.commandContext();
  const bool live = controller_ != nullptr;
  if (live) {
    const std::vector<std::string> names = controller_->sectionNames();
    QStringList items;
    for (const std::string& name : names) items << qs(name);
    QStringList shown;
    for (int i = 0; i < sectionCombo_->count(); ++i) shown << sectionCombo_->itemText(i);
    if (shown != items) {
      sectionCombo_->clear();
      sectionCombo_->addItems(items);
    }
    sectionCombo_->setCurrentIndex(controller_->currentSection());
    renderingCombo_->setCurrentIndex(controller_->polygonRendering());
    exaggerationCombo_->setCurrentIndex(exaggerationCombo_->findData(controller_->verticalExaggeration()));
  }
  sectionCombo_->setEnabled(live && ruleHolds(EnableRule::SetUp, context) && sectionCombo_->count() > 0);
  renderingCombo_->setEnabled(live && ruleHolds(EnableRule::PolygonsExist, context));
  exaggerationCombo_->setEnabled(live && ruleHolds(EnableRule::PolygonsExist, context));
}

void CMainFrame::connectView() {
  if (controller_ == nullptr) return;
  ViewController* c = controller_.get();
  view_->setSceneTree(doc_.scene());
  connect(view_, &CWQuarlexView::viewResized, this, [c](int width, int height) { c->resize(width, height); });
  connect(view_, &CWQuarlexView::mouseMovedTo, this, [this, c](double x, double y) {
    c->mouseMoved(x, y);
    statusPane(0)->setText(qs(c->statusText()));
    if (c->dragging()) sceneChanged();  // the rubber band follows the cursor
    if (doc_.editTools().digitizing()) drawEditBand();
  });
  connect(view_, &CWQuarlexView::mousePressedAt, this, [this, c](double x, double y, int button) {
    if (button == Qt::LeftButton && c->armed() == ViewController::Drag::None && doc_.editTools().anyFlag())
      digitizeClick(x, y);
    else
      c->mousePressed(x, y, button);
  });
  // A double click shows the item under it in the information window.
  connect(view_, &CWQuarlexView::mouseDoubleClickedAt, this, [this](double x, double y) {
    if (doc_.objects().sceneModel.initialised == 0) return;
    const int mode = doc_.objects().sceneModel.selectionMode;
    if (const auto key = pickForInformation(*doc_.scene(), mode, {x, y})) showPicked(mode, static_cast<int>(*key));
  });
  connect(view_, &CWQuarlexView::mouseReleasedAt, this, [this, c](double x, double y, int button) {
    c->mouseReleased(x, y, button);
    sceneChanged();
  });
  connect(view_, &CWQuarlexView::wheelTurned, this, [this, c](double x, double y, int delta) {
    c->wheel(x, y, delta);
    sceneChanged();
  });
  // Esc cancels a zoom box or pan line, armed or dragged, and leaves the view.
  connect(view_, &CWQuarlexView::escapePressed, this, [this, c] {
    c->cancelDrag();
    sceneChanged();
  });
}

namespace {

// The tool bar buttons: the status prompt (also the tip), then the button's text.
struct EditButton {
  const char* glyph;
  const char* prompt;
  const char* text;
  EditCommand command;
};

constexpr EditButton kDigitizeButtons[] = {
    {"digitize_start", "Start digitizing a new line", "Start Digitizing", EditCommand::StartDigitizing},
    {"digitize_finish", "Finish digitizing the current line and close the shape", "Finish Digitizing",
     EditCommand::FinishDigitizing},
    {"undo", "Undo the last action", "Undo", EditCommand::Undo},
};

struct SnapButton {
  const char* glyph;
  const char* prompt;
  const char* text;
  int button;
};

constexpr SnapButton kSnapButtons[] = {
    {"snap_polygon", "Snap to the nearest polygon", "Snap Polygon", kSnapPolygon},
    {"snap_figure", "Snap to the nearest figure", "Snap Figure", kSnapFigure},
    {"snap_envelope", "Snap to the nearest envelope", "Snap Envelope", kSnapEnvelope},
    {"snap_grid", "Snap to the nearest grid intersection", "Snap Grid", kSnapGrid},
    {"snap_side", "Snap to the nearest line (Block Side/ Figure/ Envelope)", "Snap Side", kSnapSide},
    {"snap_coordinate", "Snap to the selected coordinate", "Snap Coordinate", kSnapCoordinate},
    {"snap_middle", "Snap to the middle of the selected points", "Snap Middle", CMainFrame::kSnapMiddleButton},
    {"snap_distance", "Snap the entered distance along the selected direction", "Snap Distance",
     CMainFrame::kSnapDistanceButton},
};

constexpr EditButton kModifyButtons[] = {
    {"anchor", "Select the Anchor Point", "Select Anchor", EditCommand::SelectAnchor},
    {"point_next", "Select the next point in the figure", "Next Point", EditCommand::NextPoint},
    {"point_previous", "Select the previous point in the figure", "Previous Point", EditCommand::PreviousPoint},
    {"erase", "Erase the selected point", "Erase", EditCommand::Erase},
    {"point_add", " Insert a new point after the current point", "Add Point", EditCommand::AddPoint},
    {"point_move", "Move the selected point", "Move point", EditCommand::MovePoint},
    {"contour_retag", "Retag the selected contour to belong in a different envelope", "Retag Contour",
     EditCommand::RetagContour},
    {"contour_delete", "Delete the selected contour", "Delete Contour", EditCommand::DeleteContour},
    {"accept", "Accept and save changes", "Accept changes", EditCommand::Accept},
    {"cancel", "Cancel any changes done to the figure", "Cancel", EditCommand::Cancel},
    {"optimize", "Optimize shape for target tonnage", "Optimize shape for target tonnage", EditCommand::TargetArea},
};

// The Edit menu's tools.
std::optional<EditCommand> editCommandOf(CommandId id) {
  switch (id) {
    case CommandId::CreateFigure: return EditCommand::CreateFigure;
    case CommandId::ModifyFigure: return EditCommand::ModifyFigure;
    case CommandId::CreateEnvelope: return EditCommand::CreateEnvelope;
    case CommandId::ModifyEnvelope: return EditCommand::ModifyEnvelope;
    case CommandId::ModifyComposite: return EditCommand::ModifyComposite;
    default: return std::nullopt;
  }
}

// Waits in the view for the pick's click: a left press gives the point, a key
// ends the wait without one.
class PickWaiter : public QObject {
 public:
  explicit PickWaiter(CWQuarlexView& view) : view_(view) {}
  std::optional<QPointF> at;
  QEventLoop loop;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &view_) return false;
    if (event->type() == QEvent::MouseButtonPress) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      at = view_.localWindow(mouse->position());
      loop.quit();
      return true;
    }
    if (event->type() == QEvent::KeyPress) {
      loop.quit();
      return true;
    }
    return false;
  }

 private:
  CWQuarlexView& view_;
};

}  // namespace

void CMainFrame::buildEditBars() {
  const auto add = [](QToolBar* bar, const char* glyph, const char* prompt, const char* text) {
    QAction* action = bar->addAction(svgIcon(QLatin1String(glyph)), QLatin1String(text));
    action->setStatusTip(QLatin1String(prompt));
    action->setToolTip(QLatin1String(prompt));
    action->setEnabled(false);
    return action;
  };
  const auto addTool = [&](QToolBar* bar, const EditButton& b) {
    QAction* action = add(bar, b.glyph, b.prompt, b.text);
    const EditCommand command = b.command;
    action->setCheckable(command == EditCommand::AddPoint || command == EditCommand::MovePoint);
    connect(action, &QAction::triggered, this, [this, command] { runEditCommand(command); });
    editActions_[command] = action;
  };
  for (const EditButton& b : kDigitizeButtons) addTool(digitizeBar_, b);
  for (const SnapButton& b : kSnapButtons) {
    QAction* action = add(digitizeBar_, b.glyph, b.prompt, b.text);
    action->setCheckable(true);
    const int button = b.button;
    connect(action, &QAction::triggered, this, [this, button] {
      if (digitizer_ == nullptr) return;
      if (button == kSnapCoordinate)
        snapCoordinate();
      else if (button == kSnapMiddleButton)
        digitizer_->toggleMiddle();
      else if (button == kSnapDistanceButton)
        digitizer_->toggleDistance();
      else
        digitizer_->toggleSnap(button);
      editStateChanged();
    });
    snapActions_[button] = action;
  }
  snapDistance_ = new QLineEdit(digitizeBar_);
  snapDistance_->setFixedWidth(80);
  snapDistance_->setToolTip(QStringLiteral("Set the distance to snap"));
  snapDistance_->setStatusTip(QStringLiteral("Set the distance to snap"));
  snapDistance_->setEnabled(false);
  digitizeBar_->addWidget(snapDistance_);
  connect(snapDistance_, &QLineEdit::editingFinished, this, [this] {
    if (digitizer_ == nullptr) return;
    // Text that holds no number shows the distance in use again.
    if (!digitizer_->setSnapDistance(snapDistance_->text().toStdString()))
      snapDistance_->setText(QString::number(digitizer_->snapDistance()));
  });

  for (const EditButton& b : kModifyButtons) {
    // "Modify Contour" has no tool of its own: it stays, never enabled.
    if (b.command == EditCommand::Accept) add(modifyBar_, "contour_modify", "Modify Contour", "Modify Contour");
    addTool(modifyBar_, b);
  }
}

QAction* CMainFrame::editAction(EditCommand command) const {
  auto it = editActions_.find(command);
  return it == editActions_.end() ? nullptr : it->second;
}

QAction* CMainFrame::snapAction(int button) const {
  auto it = snapActions_.find(button);
  return it == snapActions_.end() ? nullptr : it->second;
}

void CMainFrame::runEditCommand(EditCommand command) {
  if (controller_ == nullptr) return;
  doc_.onEditCommand(command);
  editStateChanged();
}

std::optional<gfx::Key> CMainFrame::waitForPick(int mode) {
  if (view_ == nullptr || controller_ == nullptr || pickActive_) return std::nullopt;
  editStateChanged();  // the tool's prompt
  PickWaiter waiter(*view_);
  view_->installEventFilter(&waiter);
  view_->setCursor(Qt::PointingHandCursor);
  pickActive_ = true;
  waiter.loop.exec();
  pickActive_ = false;
  view_->unsetCursor();
  view_->removeEventFilter(&waiter);
  if (!waiter.at) return std::nullopt;
  const auto item = pickItem(*doc_.scene(), controller_->builder(), doc_.objects().sceneModel, mode,
                             {waiter.at->x(), waiter.at->y()});
  if (!item) return std::nullopt;
  return item->key;
}

void CMainFrame::digitizeClick(double x, double y) {
  if (digitizer_ == nullptr || doc_.objects().sceneModel.initialised == 0) return;
  const EditTools& tools = doc_.editTools();
  digitizer_->skipInvalidPolygonHits = tools.figureCreate() || tools.figureModify();
  digitizer_->editedContour.reset();
  if (tools.envelopeModify()) digitizer_->editedContour = gfx::Key(tools.envelope()) * 1000 + tools.contour();
  if (const auto point = digitizer_->click({x, y})) doc_.editTools().addPoint(*point);
  editStateChanged();
}

void CMainFrame::snapCoordinate() {
  if (digitizer_ == nullptr) return;
  const FPoint3D& plane = doc_.objects().sections.current.target;
  CSnapCoordDlg dialog(plane.x, plane.y);
  if (!doc_.port().runDialog(dialog)) return;
  digitizer_->snapToCoordinate(dialog.x, dialog.y);
  // The typed point is digitized at once; where the click would be does not matter.
  if (doc_.editTools().anyFlag()) digitizeClick(0.0, 0.0);
}

void CMainFrame::editStateChanged() {
  const EditTools& tools = doc_.editTools();
  // The bars follow the tools when the tools change their mind; in between
  // the View menu shows or hides them.
  if (tools.digitizeBarShown() != digitizeBarWanted_) {
    digitizeBarWanted_ = tools.digitizeBarShown();
    digitizeBar_->setVisible(digitizeBarWanted_);
  }
  if (tools.modifyBarShown() != modifyBarWanted_) {
    modifyBarWanted_ = tools.modifyBarShown();
    modifyBar_->setVisible(modifyBarWanted_);
  }
  const std::string& prompt =
      digitizer_ != nullptr && !digitizer_->prompt().empty() ? digitizer_->prompt() : tools.prompt();
  if (prompt.empty())
    statusBar()->clearMessage();
  else
    statusBar()->showMessage(qs(prompt));
  drawEditBand();
  sceneChanged();
}

void CMainFrame::updateEditActions() {
  const bool live = controller_ != nullptr && ruleHolds(EnableRule::SetUp, doc_.commandContext());
  const EditTools* tools = live ? &doc_.editTools() : nullptr;
  for (const auto& [command, action] : editActions_) {
    action->setEnabled(tools != nullptr && tools->isEnabled(command));
    if (action->isCheckable()) action->setChecked(tools != nullptr && tools->isChecked(command));
  }
  const bool snapping = tools != nullptr && tools->anyFlag();
  for (const auto& [button, action] : snapActions_) {
    action->setEnabled(snapping);
    const Digitizer* d = digitizer_.get();
    const bool on = d != nullptr && (button == kSnapMiddleButton     ? d->middleOn()
                                     : button == kSnapDistanceButton ? d->distanceOn()
                                                                     : d->snapMode() == button);
    action->setChecked(live && on);
  }
  snapDistance_->setEnabled(live);
}

// The line from the current vertex to the cursor while a line is digitized.
void CMainFrame::drawEditBand() {
  if (controller_ == nullptr) return;
  gfx::SceneTree& tree = *doc_.scene();
  const EditTools& tools = doc_.editTools();
  const bool shown = tools.digitizing() && !tools.points().empty() && tools.pending() != EditTools::kNone;
  if (!shown && tree.findSegment(kRubberBandSegment) == gfx::kNoKey) return;
  tree.openSegment(kRubberBandSegment);
  tree.flushContents(".", "everything");
  if (shown) {
    const auto at =
        static_cast<std::size_t>(std::clamp(tools.currentVertex(), 0, static_cast<int>(tools.points().size()) - 1));
    tree.setVisibility("cutting planes=off, lines=on");
    tree.setSelectability("everything=off");
    tree.setColor("lines=red");
    const DPoint3D line[] = {tools.points()[at], controller_->cursor()};
    tree.insertPolyline(line);
  }
  tree.closeSegment();
  tree.updateDisplay();
}

void CMainFrame::sceneChanged() {
  if (view_ != nullptr) view_->update();
  updateCommandStates();
}

bool CMainFrame::runViewCommand(CommandId id) {
  if (controller_ == nullptr) return false;
  ViewController& c = *controller_;
  switch (id) {
    case CommandId::Zoom: c.armZoomBox(); break;
    case CommandId::PanView: c.armPan(); break;
    case CommandId::ZoomAll:
      recomputeDataExtents(doc_.objects());
      c.zoomAll();
      break;
    case CommandId::PanLeft: c.stepPan(ViewController::Step::Left); break;
    case CommandId::PanRight: c.stepPan(ViewController::Step::Right); break;
    case CommandId::PanUp: c.stepPan(ViewController::Step::Up); break;
    case CommandId::PanDown: c.stepPan(ViewController::Step::Down); break;
    case CommandId::UndoViewChange: c.undoView(); break;
    case CommandId::RedoViewChange: c.redoView(); break;
    case CommandId::ViewComposites: c.toggle(ViewDataset::Composites); break;
    case CommandId::ViewPolygons: c.toggle(ViewDataset::Polygons); break;
    case CommandId::ViewEnvelopes: c.toggle(ViewDataset::Envelopes); break;
    case CommandId::ViewFigures: c.toggle(ViewDataset::Figures); break;
    case CommandId::ViewSurfaces: c.toggle(ViewDataset::Surfaces); break;
    case CommandId::ViewGrid: c.toggle(ViewDataset::Grid); break;
    case CommandId::SelectComposites: c.builder().setSelectionMode(0); break;
    case CommandId::SelectFigures: c.builder().setSelectionMode(1); break;
    case CommandId::SelectEnvelopes: c.builder().setSelectionMode(2); break;
    case CommandId::SelectPolygons: c.builder().setSelectionMode(4); break;
    default: return false;
  }
  sceneChanged();
  return true;
}

void CMainFrame::updateTitle() {
  QString title = qs(doc_.title());
  title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));  // a literal "[*]" in a title
  setWindowTitle(title + QStringLiteral("[*]") + QLatin1String(kFrameTitleSuffix));
  setWindowModified(doc_.isModified());
}

void CMainFrame::showCommandMessage(CommandId id) {
  const auto* port = dynamic_cast<const QtUiPort*>(&doc_.port());
  const std::string text = commandMessage(id, files_.lastResult(), port != nullptr ? port->lastChosenFile() : "");
  if (!text.empty()) statusBar()->showMessage(qs(text));
}

void CMainFrame::onCommand(CommandId id, bool checked) {
  if (auto* port = dynamic_cast<QtUiPort*>(&doc_.port())) port->forgetChosenFile();
  const CommandOutcome outcome = files_.run(id);
  if (outcome == CommandOutcome::Done) showCommandMessage(id);
  if (outcome == CommandOutcome::Window) {
    switch (id) {
      case CommandId::FileExit: close(); break;
      case CommandId::AppAbout: {
        CAboutDlg about(this);
        about.exec();
        break;
      }
      case CommandId::ViewStatusBar: statusBar()->setVisible(checked); break;
      case CommandId::ViewInformationDialog: toggleInformation(); break;
      case CommandId::DisplayProperties: doc_.onDisplayProperties(); break;
      case CommandId::EnvelopeCompositeSurfaceProperties: doc_.onEnvelopeCompositeSurfaceProperties(); break;
      case CommandId::FigurePolygonProperties: doc_.onFigurePolygonProperties(); break;
      case CommandId::CalculationSettings: doc_.onCalculationSettings(); break;
      case CommandId::EditDefinedVariables: doc_.onEditVariables(VariableKind::Loaded); break;
      case CommandId::EditCalculatedVariables: doc_.onEditVariables(VariableKind::Calculated); break;
      case CommandId::FilePrint: ViewPrinter::of(this).print(view_, qs(doc_.title())); break;
      case CommandId::FilePrintPreview: ViewPrinter::of(this).preview(view_, qs(doc_.title())); break;
      case CommandId::FilePrintSetup: ViewPrinter::of(this).setup(); break;
      default:
        if (const auto command = editCommandOf(id)) {
          runEditCommand(*command);
          break;
        }
        if (QToolBar* bar = barOf(id))
          bar->setVisible(checked);
        else
          runViewCommand(id);
        break;
    }
  }
  updateCommandStates();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    paths.push_back(url.isLocalFile() ? url.toLocalFile().toStdString() : url.toString().toStdString());
  if (paths.empty()) return;
  event->acceptProposedAction();
  files_.openDropped(paths);
  updateCommandStates();
}

void CMainFrame::toggleInformation() {
  if (info_ == nullptr) {
    info_ = new CInformationDlg(this);
    connect(info_, &CInformationDlg::visibilityChanged, this, [this] { updateCommandStates(); });
  }
  if (!info_->isHidden()) {
    info_->hide();
    return;
  }
  info_->show();
  refreshInformation();
  info_->raise();
  info_->activateWindow();
}

void CMainFrame::showPicked(int selectionMode, int key) {
  if (!picks_.addPick(selectionMode, key)) return;
  if (info_ == nullptr || info_->isHidden()) toggleInformation();
  refreshInformation();
  info_->selectLastLine();
}

void CMainFrame::refreshInformation() {
  if (info_ != nullptr && !info_->isHidden()) info_->showLines(informationLines(picks_, doc_.objects()));
}

void CMainFrame::compositeRemoved(int index) {
  picks_.remove(kInfoComposite, index);
  picks_.remove(kInfoPolygon, index);
  refreshInformation();
}

bool CMainFrame::openProject(const QString& path) { return files_.openPath(path.toStdString()); }

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!files_.saveModified()) {
    event->ignore();
    return;
  }
  saveSettings();
  event->accept();
}

}  // namespace qx
