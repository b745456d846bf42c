// The main window's rules without the window: the save-changes question, the
// name Save As proposes, the recent-file list and the command dispatch.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/command_messages.h"
#include "app/document.h"
#include "app/file_commands.h"
#include "saved_project.h"
#include "scripted_port.h"
#include "test_files.h"

using namespace qx;
using qx::test::ScriptedPort;
using Files = std::vector<std::string>;

TEST(RecentFileList, NewestFirstEachOnceTrimmedToItsCapacity) {
  RecentFileList list(4);
  for (const char* path : {"/p/a", "/p/b", "/p/c", "/p/d", "/p/e", "/p/c"}) list.add(path);
  EXPECT_EQ(list.files(), (Files{"/p/c", "/p/e", "/p/d", "/p/b"}));
  EXPECT_TRUE(list.remove("/p/d"));
  EXPECT_FALSE(list.remove("/p/d"));

  // As the profile held it: gaps skipped, cut at the capacity.
  RecentFileList two(2);
  two.assign({"", "/p/x", "", "/p/y", "/p/z"});
  EXPECT_EQ(two.files(), (Files{"/p/x", "/p/y"}));
}

TEST(SaveAs, ProposesThePathOrTheTitleCutBeforeAnyPathCharacter) {
  ScriptedPort port;
  ProjectObjects objects;
  CWQuarlexDoc doc(objects, port);
  const std::pair<const char*, const char*> cases[] = {
      {"Untitled", "Untitled.qrx"},
      {"[Untitled]", "Untitled.qrx"},
      {" [Pit 4] ", "Pit 4.qrx"},
      {"[ ]", ""},
      {"Pit 3: east", "Pit 3.qrx"},
      {"a/b", "a.qrx"},
      {"c\\d", "c.qrx"},
      {"/root", ""},
      {"", ""},
  };
  for (const auto& [title, proposed] : cases) {
    doc.setTitle(title);
    EXPECT_EQ(proposedSaveName(doc), proposed) << title;
  }
  doc.setPathName("/data/pit.qrx");
  EXPECT_EQ(proposedSaveName(doc), "/data/pit.qrx");
}

class FileCommandsTest : public ::testing::Test {
 protected:
  // The scripted port, also keeping what each file dialog was asked with.
  class Port : public ScriptedPort {
   public:
    std::optional<std::string> chooseFile(const FileDialogSpec& spec) override {
      specs.push_back(spec);
      return ScriptedPort::chooseFile(spec);
    }
    std::vector<FileDialogSpec> specs;
  };

  FileCommandsTest() { objects.settings.loaded.emplace_back("Au"); }

  std::string loadedName() const { return objects.settings.loaded.at(0).name; }

  test::TempDir dir{"qx_file_commands"};
  Port port;
  ProjectObjects objects;
  CWQuarlexDoc doc{objects, port};
  RecentFileList recent{4};
  int recentChanges = 0;
  FileCommands files{doc, recent, [this] { ++recentChanges; }};
};

TEST_F(FileCommandsTest, SaveChangesQuestionDecidesWhetherToGoOn) {
  const std::string good = (dir / "pit.qrx").string();
  const std::string bad = (dir / "no-such-folder" / "pit.qrx").string();
  struct Case {
    const char* what;
    std::optional<MessageAnswer> answer;  // none: the project is not modified
    std::optional<std::string> saveAs;    // the Save As answer after Yes
    bool goesOn;
    bool saved;
  };
  const Case cases[] = {
      {"unmodified", std::nullopt, std::nullopt, true, false},
      {"cancel", MessageAnswer::Cancel, std::nullopt, false, false},
      {"no", MessageAnswer::No, std::nullopt, true, false},
      {"yes, Save As cancelled", MessageAnswer::Yes, std::nullopt, false, false},
      {"yes, save failed", MessageAnswer::Yes, bad, false, false},
      {"yes, saved", MessageAnswer::Yes, good, true, true},
  };
  for (const Case& c : cases) {
    port.clearLog();
    doc.setPathName("");
    doc.setTitle("Pit");
    doc.setModifiedFlag(c.answer.has_value());
    if (c.answer) port.answerMessage(*c.answer);
    if (c.answer == MessageAnswer::Yes) port.answerFile(c.saveAs);
    EXPECT_EQ(files.saveModified(), c.goesOn) << c.what;
    EXPECT_EQ(doc.pathName(), c.saved ? good : "") << c.what;
    EXPECT_EQ(doc.isModified(), c.answer.has_value() && !c.saved) << c.what;
    EXPECT_EQ(port.messages().empty() ? "" : port.messages()[0], c.answer ? "Save changes to Pit?" : "") << c.what;
    EXPECT_TRUE(port.allAnswersUsed()) << c.what;
  }
  EXPECT_EQ(recent.files(), Files{good});
}

TEST_F(FileCommandsTest, SaveAsksForAFileOnlyWithoutAPathAndSaveAsAlways) {
  const std::string path = (dir / "pit.qrx").string();
  port.answerFile(path);
  ASSERT_TRUE(files.save(false));
  ASSERT_EQ(port.specs.size(), 1u);
  EXPECT_EQ(port.specs[0].title, "Save As");
  EXPECT_EQ(port.specs[0].filter, "Quarlex Files (*.qrx)|*.qrx|All Files (*.*)|*.*||");
  EXPECT_EQ(port.specs[0].defaultExtension, "qrx");
  EXPECT_EQ(port.specs[0].initialPath, "Untitled.qrx");
  EXPECT_EQ(doc.pathName(), path);
  EXPECT_EQ(recent.files(), Files{path});
  EXPECT_EQ(recentChanges, 1);

  doc.setModifiedFlag(true);
  ASSERT_TRUE(files.save(false));  // with a path: no dialog
  EXPECT_EQ(port.specs.size(), 1u);
  EXPECT_FALSE(doc.isModified());

  // Save As proposes the project's file; a cancelled dialog changes nothing.
  doc.setModifiedFlag(true);
  port.answerFile(std::nullopt);
  EXPECT_FALSE(files.save(true));
  EXPECT_EQ(port.specs.at(1).initialPath, path);
  EXPECT_TRUE(doc.isModified());

  // A relative answer is made absolute before the project and the list take it.
  const std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  port.answerFile("sub/../copy.qrx");
  const bool saved = files.save(true);
  std::filesystem::current_path(here);
  ASSERT_TRUE(saved);
  const std::string copy = (dir / "copy.qrx").string();
  EXPECT_EQ(doc.pathName(), copy);
  EXPECT_EQ(recent.files(), (Files{copy, path}));
  EXPECT_TRUE(port.messages().empty());
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST_F(FileCommandsTest, OpenStartsInTheProjectsFolderAndAFailedOpenChangesNothing) {
  const std::string first = test::writeProject((dir / "first.qrx").string(), "Zn");
  const std::string broken = dir.write("broken.qrx", "not a project").string();
  port.answerFile(first);
  ASSERT_TRUE(files.open());
  EXPECT_EQ(port.specs.at(0).title, "Open");
  EXPECT_EQ(port.specs[0].initialPath, "");
  EXPECT_EQ(loadedName(), "Zn");
  EXPECT_EQ(recent.files(), Files{first});

  port.answerFile(broken);
  EXPECT_FALSE(files.open());
  EXPECT_EQ(port.specs.at(1).initialPath, dir.path().string());
  ASSERT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(port.messages()[0].rfind("Unable to open the project " + broken + ":\n", 0), 0u) << port.messages()[0];
  EXPECT_EQ(doc.pathName(), first);
  EXPECT_EQ(loadedName(), "Zn");
  EXPECT_EQ(recent.files(), Files{first});
}

TEST_F(FileCommandsTest, ARecentFileThatCannotBeOpenedLeavesTheList) {
  const std::string good = test::writeProject((dir / "good.qrx").string(), "Ag");
  const std::string gone = (dir / "gone.qrx").string();
  recent.assign({good, gone});
  EXPECT_FALSE(files.openRecent(2));
  EXPECT_FALSE(files.openRecent(1));
  EXPECT_EQ(port.messages().size(), 1u);
  EXPECT_EQ(recent.files(), Files{good});
  EXPECT_EQ(recentChanges, 1);
  EXPECT_TRUE(doc.pathName().empty());

  EXPECT_TRUE(files.openRecent(0));
  EXPECT_EQ(doc.pathName(), good);
  EXPECT_EQ(loadedName(), "Ag");
  EXPECT_TRUE(port.specs.empty());  // a recent file needs no file dialog
}

TEST_F(FileCommandsTest, DispatchAsksTheRuleAgainAndLeavesTheWindowItsOwnCommands) {
  const std::pair<CommandId, CommandOutcome> cases[] = {
      {CommandId::FileMru, CommandOutcome::Refused},  // the list is empty
      {CommandId::GenerateMaps, CommandOutcome::Refused}, {CommandId::ClearPolygons, CommandOutcome::Refused},
      {CommandId::FileExit, CommandOutcome::Window},      {CommandId::AppAbout, CommandOutcome::Window},
      {CommandId::ViewStatusBar, CommandOutcome::Window}, {CommandId::ViewSectionBar, CommandOutcome::Window},
  };
  for (const auto& [id, outcome] : cases) EXPECT_EQ(files.run(id), outcome) << findMenuEntry(id)->text;
  EXPECT_TRUE(port.log().empty());

  // New asks the question first; Cancel stops it before the wizard.
  doc.setModifiedFlag(true);
  port.answerMessage(MessageAnswer::Cancel);
  EXPECT_EQ(files.run(CommandId::FileNew), CommandOutcome::Done);
  EXPECT_EQ(port.log().back().find("wizard"), std::string::npos);
  port.answerMessage(MessageAnswer::No);
  port.answerSheet([](SheetModel&) { return false; });
  EXPECT_EQ(files.run(CommandId::FileNew), CommandOutcome::Done);
  EXPECT_EQ(port.log().back(), "wizard: Project Setup");

  port.answerSheet([](SheetModel&) { return true; });
  EXPECT_EQ(files.run(CommandId::EditProjectSettings), CommandOutcome::Done);
  EXPECT_EQ(port.log().back(), "sheet: Project Settings");
  EXPECT_TRUE(files.lastResult().ok());
  objects.settings.loaded.clear();
  EXPECT_EQ(files.run(CommandId::EditProjectSettings), CommandOutcome::Refused);
  EXPECT_FALSE(files.lastResult().ok());

  recent.add("/p/a.qrx");
  EXPECT_TRUE(files.isEnabled(CommandId::FileMru));
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST(CommandMessages, WhatTheFinishedCommandDidFromItsResult) {
  struct Case {
    CommandId id;
    CommandResult result;
    const char* file;
    const char* text;
  };
  const Case cases[] = {
      {CommandId::GeneratePolygons, CommandResult::done(2353), "", "2,353 polygons generated"},
      {CommandId::GeneratePolygons, CommandResult::done(1234567), "", "1,234,567 polygons generated"},
      {CommandId::ImportComposites, CommandResult::done(1), "/d/a.dat", "1 composite imported from /d/a.dat"},
      {CommandId::ImportEnvelopes, CommandResult::done(999), "e.dig", "999 envelopes imported from e.dig"},
      {CommandId::ImportFigures, CommandResult::done(1000), "", "1,000 figures imported"},
      {CommandId::ImportSurfaces, CommandResult::done(1), "s.dat", "Surface imported from s.dat"},
      {CommandId::ExportComposites, CommandResult::done(0), "c.dat", "0 composites exported to c.dat"},
      {CommandId::ExportEnvelopes, CommandResult::done(1), "e.dig", "Envelopes exported to e.dig"},
      {CommandId::ExportPolygons, CommandResult::done(1), "p.dat", "Polygon data exported to p.dat"},
      {CommandId::ExportFigures, CommandResult::done(1), "f.dat", "Figure data exported to f.dat"},
      {CommandId::ExportGis, CommandResult::done(2354), "d.gpkg", "2,354 features exported as GIS layers to d.gpkg"},
      {CommandId::ReportPolygons, CommandResult::done(1), "/r/p.rpt", "Polygon report written to /r/p.rpt"},
      {CommandId::ReportFigures, CommandResult::done(1), "/r/f.rpt", "Figure report written to /r/f.rpt"},
      {CommandId::ClearPolygons, CommandResult::done(), "", "Polygons cleared"},
      {CommandId::RecalculateFigures, CommandResult::done(12), "", "12 figures recalculated"},
      {CommandId::GenerateMaps, CommandResult::done(1), "", "1 plot file written"},
      {CommandId::ReportFigures, CommandResult::failed(), "/r/f.rpt", ""},
      {CommandId::GeneratePolygons, CommandResult::cancelled(), "", ""},
      {CommandId::EditProjectSettings, CommandResult::done(), "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(commandMessage(c.id, c.result, c.file), c.text) << c.text;
  EXPECT_EQ(groupedCount(-1234), "-1,234");
}
