#include <gtest/gtest.h>

#include "port/progress.h"
#include "scripted_port.h"

using qx::CProgressBar;
using qx::CProgressTextDlg;
using qx::test::ScriptedPort;

TEST(ProgressBar, FiveStagesFillTheBarAndFurtherStepsLeaveItFull) {
  ScriptedPort port;
  {
    CProgressBar bar(port);
    bar.setTitle("Loading");
    bar.setText("Reading");
    for (int i = 0; i < 7; ++i) bar.stepIt();
    EXPECT_EQ(bar.pos(), 50);
  }
  std::vector<std::string> expected = {"progress open bar", "progress range: 0 50",    "progress step: 10",
                                       "progress pos: 0",   "progress title: Loading", "progress text: Reading",
                                       "progress pos: 10",  "progress pos: 20",        "progress pos: 30",
                                       "progress pos: 40",  "progress pos: 50",        "progress pos: 50",
                                       "progress pos: 50",  "progress close"};
  EXPECT_EQ(port.log(), expected);
}

TEST(ProgressText, KeepsTheLastTextAndClosesWithItsOwner) {
  ScriptedPort port;
  {
    CProgressTextDlg dlg(port);
    dlg.setText("one");
    dlg.setText("two");
    EXPECT_EQ(dlg.text(), "two");
  }
  ASSERT_FALSE(port.log().empty());
  EXPECT_EQ(port.log().back(), "progress close");
}

TEST(ScriptedPort, AnUnexpectedQuestionFailsLoudly) {
  ScriptedPort port;
  EXPECT_THROW(port.message("Proceed?", qx::MessageButtons::OkCancel, qx::MessageIcon::Question), std::logic_error);
  // A plain message needs no answer.
  EXPECT_EQ(port.message("Done", qx::MessageButtons::Ok, qx::MessageIcon::Information), qx::MessageAnswer::Ok);
  EXPECT_EQ(port.messages().back(), "Done");
}
