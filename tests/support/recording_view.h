#pragma once
// A view for tests: records every notification the document sends, in order.
#include <string>
#include <vector>

#include "app/view_notifier.h"

namespace qx::test {

struct RecordingView : ViewNotifier {
  std::vector<std::string> events;
  void displayChanged() override { events.push_back("display changed"); }
  void compositeRemoved(int i) override { events.push_back("composite removed " + std::to_string(i)); }
  void datasetChanged(DatasetChange c) override {
    events.push_back("dataset changed " + std::to_string(static_cast<int>(c)));
  }
  void rebuildScene() override { events.push_back("rebuild scene"); }
  void zoomExtents() override { events.push_back("zoom extents"); }
  void updateAllViews() override { events.push_back("update"); }
};

}  // namespace qx::test
