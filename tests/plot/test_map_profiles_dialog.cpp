// The "Map Profiles" dialog: Add, Remove, Rename, Copy and Edit on the list
// of map profiles, and the pattern file's check.
#include <gtest/gtest.h>

#include "plot/map_profiles_dialog.h"
#include "scripted_port.h"
#include "test_files.h"

using namespace qx;
using qx::test::ScriptedPort;

namespace {

// The name dialog answers OK with the name, checking the name it was filled with.
ScriptedPort::DialogAnswer typeName(std::string filled, std::string typed) {
  return [filled, typed](DialogModel& m) {
    auto& d = dynamic_cast<CNameEntryDialog&>(m);
    EXPECT_EQ(d.title(), "Enter New Map Profile Name");
    EXPECT_EQ(d.name, filled);
    d.name = typed;
    return true;
  };
}

}  // namespace

TEST(MapProfilesDialog, AddRenameCopyRemoveAndEdit) {
  MapOutputData data;
  CMapProfilesDialog dialog(data);
  ScriptedPort port;

  // Without a selection Remove, Rename, Copy and Edit do nothing.
  EXPECT_FALSE(dialog.remove() || dialog.rename(port) || dialog.copy(port) || dialog.edit(port));

  port.answerDialog(typeName("", "  Plans "));
  port.answerSheet([](SheetModel& s) {
    EXPECT_EQ(s.title(), "Section Map Profile");
    dynamic_cast<CMapProfileSheet&>(s).profile.mapScale = 500;
    return true;
  });
  ASSERT_TRUE(dialog.add(port));
  port.answerDialog(typeName("", "Sections"));
  port.answerSheet([](SheetModel& s) {
    dynamic_cast<CMapProfileSheet&>(s).profile.mapScale = 1;
    return false;  // Cancel keeps the defaults, the profile stays
  });
  ASSERT_TRUE(dialog.add(port));
  EXPECT_EQ(dialog.lines(), (std::vector<std::string>{"Plans", "Sections"}));
  EXPECT_EQ(std::pair(data.profiles[0].mapScale, data.profiles[1].mapScale), std::pair(500.0, 1000.0));

  port.answerDialog([](DialogModel&) { return false; });
  EXPECT_FALSE(dialog.add(port));  // a cancelled name adds nothing
  EXPECT_EQ(data.count(), 2);

  dialog.selection = 0;
  port.answerDialog(typeName("Plans", "Plans"));  // names need not be unique
  ASSERT_TRUE(dialog.copy(port));
  port.answerDialog(typeName("Plans", "Levels"));
  ASSERT_TRUE(dialog.rename(port));
  EXPECT_EQ(dialog.lines(), (std::vector<std::string>{"Levels", "Sections", "Plans"}));
  EXPECT_EQ(data.profiles[2].mapScale, 500);  // the copy keeps the settings

  dialog.selection = 2;
  ASSERT_TRUE(dialog.remove());
  EXPECT_EQ(dialog.selection, 1);
  ASSERT_TRUE(dialog.remove() && dialog.remove());
  EXPECT_EQ(std::pair(data.count(), dialog.selection), std::pair(0, -1));
  EXPECT_TRUE(port.allAnswersUsed());
}

TEST(MapProfilesDialog, PatternFileMustOpen) {
  qx::test::TempDir dir("qx_pattern");
  const std::string style = dir.write("a.sty", "style").string();
  ScriptedPort port;
  std::string pattern = "old.sty";
  port.answerFile(std::nullopt);
  EXPECT_FALSE(browsePatternFile(port, pattern));
  port.answerFile(style);
  EXPECT_TRUE(browsePatternFile(port, pattern));
  EXPECT_EQ(pattern, style);
  port.answerFile(dir.path().string());  // a folder does not open for reading
  EXPECT_TRUE(browsePatternFile(port, pattern));
  EXPECT_EQ(pattern, "");
  EXPECT_EQ(port.messages(), std::vector<std::string>{"Error opening file " + dir.path().string()});
  EXPECT_EQ(port.log().front(), "file open: Open Style File [Marneth Style Files (*.sty)|*.sty|All Files (*.*)|*.*||]");
}
