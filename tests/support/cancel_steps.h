#pragma once
// Cancel at each step of a flow that asks the user things (file dialog,
// sheet, rotation dialog, append question ...), driven by a table of steps.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "scripted_port.h"

namespace qx::test {

// One question of a flow: what the script does to go on past it, and what it
// does to cancel there (usually queueing an answer on the world's port; a
// cancelling answer may edit the dialog first, as a user would). `check`, when
// given, runs after the flow cancelled at this step.
template <class World>
struct CancelStep {
  using Action = std::function<void(World&)>;
  CancelStep(std::string stepName, Action onAccept, Action onCancel, Action afterwards = nullptr)
      : name(std::move(stepName)),
        accept(std::move(onAccept)),
        cancel(std::move(onCancel)),
        check(std::move(afterwards)) {}
  std::string name;
  std::function<void(World&)> accept;
  std::function<void(World&)> cancel;
  std::function<void(World&)> check;
};

// Runs the flow once per step on a fresh World (default-constructed, with a
// ScriptedPort `port`): the steps before accepted, that step cancelled. Then
// the snapshot of the world is what it was before the flow ran, every queued
// answer was used and the wait cursor is balanced.
template <class World, class Snapshot, class Run>
void expectCancelAtEachStep(const std::vector<CancelStep<World>>& steps, Snapshot snapshot, Run run) {
  for (std::size_t k = 0; k < steps.size(); ++k) {
    SCOPED_TRACE("cancelled at step " + std::to_string(k) + ": " + steps[k].name);
    World w;
    const auto before = snapshot(w);
    for (std::size_t i = 0; i < k; ++i) {
      if (steps[i].accept) steps[i].accept(w);
    }
    steps[k].cancel(w);
    run(w);
    EXPECT_EQ(snapshot(w), before);
    EXPECT_TRUE(w.port.allAnswersUsed());
    EXPECT_EQ(w.port.waitDepth(), 0);
    if (steps[k].check) steps[k].check(w);
  }
}

}  // namespace qx::test
