#include <gtest/gtest.h>

#include "app/startup.h"

using namespace qx;

namespace {
struct RecordingHost : StartupHost {
  std::vector<std::string> steps;
  bool commandLineOk = true;
  void startGraphics() override { steps.push_back("graphics"); }
  void enableControls() override { steps.push_back("controls"); }
  void loadProfile(const std::string& key, int n) override {
    steps.push_back("profile " + key + " " + std::to_string(n));
  }
  void createDocumentTemplate() override { steps.push_back("template"); }
  void registerFileTypes() override { steps.push_back("file types"); }
  bool processCommandLine(const std::vector<std::string>& args) override {
    steps.push_back("command line " + std::to_string(args.size()));
    return commandLineOk;
  }
  void showMainWindow() override { steps.push_back("show"); }
};
}  // namespace

TEST(Startup, RunsTheStepsInOrder) {
  RecordingHost host;
  EXPECT_TRUE(runStartup(host, {"a.qrx"}));
  EXPECT_EQ(host.steps, (std::vector<std::string>{"graphics", "controls", "profile Velmora Software 4", "template",
                                                  "file types", "command line 1", "show"}));
}

TEST(Startup, AFailedCommandLineEndsItBeforeTheWindowShows) {
  RecordingHost host;
  host.commandLineOk = false;
  EXPECT_FALSE(runStartup(host, {"missing.qrx"}));
  EXPECT_EQ(host.steps.back(), "command line 1");
}

#include "graphics/scene_tree.h"

TEST(Startup, TheSceneTreeStartsWithPictureAliasedToNullAndNothingUnderIt) {
  gfx::SceneTree tree;
  tree.createSegment("/null/leftover");  // something under the null segment before the start
  startSceneTree(tree);
  EXPECT_EQ(tree.expandPath("?Picture"), "/null");
  EXPECT_EQ(tree.findSegment("?Picture"), gfx::kNoKey);
  EXPECT_EQ(tree.findSegment("/null"), gfx::kNoKey);
}
