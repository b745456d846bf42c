// The document's side of the editing tools: the tools work on the project's
// objects, in the current section's view, and an accepted edit marks the
// project modified and redraws what it changed.
#include "app/document.h"
#include "graphics/scene_tree.h"
#include "scene/composites_drawing.h"
#include "scene/scene_builder.h"

namespace qx {

EditTools& CWQuarlexDoc::editTools() {
  if (editTools_ == nullptr) {
    ProjectObjects& o = objects_;
    editTools_ = std::make_unique<EditTools>(EditProject{o.envelopes, o.figures, o.composites, o.polygons, o.settings},
                                             port_, EditTools::Pick{});
    editTools_->setChangedCallback([this] {
      setModifiedFlag(true);
      redrawEnvelopesAndSurfaces();
      redrawFiguresAndPolygons(false);
      // The redrawn segments take their colours, transparency and switches again.
      if (scene_ != nullptr) SceneBuilder(*scene_, sceneProject()).applyDatasetVisibility();
      if (view_ != nullptr) view_->updateAllViews();
    });
  }
  editTools_->setScene(scene_, &objects_.sceneModel);
  return *editTools_;
}

bool CWQuarlexDoc::onEditCommand(EditCommand command) {
  EditTools& tools = editTools();
  EditView v;
  v.dip = objects_.sections.current.dip;
  if (scene_ != nullptr && scene_->openSegment(kPictureSegment) != gfx::kNoKey) {
    const gfx::Camera camera = scene_->showCamera();
    scene_->closeSegment();
    v.cameraTarget = camera.target;
    v.cameraPosition = camera.position;
  } else {
    // Without a scene: the section's target, seen along its line of sight.
    const Section& s = objects_.sections.current;
    const DPoint3D d = s.viewDirection();
    v.cameraTarget = {s.target.x, s.target.y, s.target.z};
    v.cameraPosition = {v.cameraTarget.x - d.x, v.cameraTarget.y - d.y, v.cameraTarget.z - d.z};
  }
  tools.setView(v);
  const bool done = tools.run(command);
  if (done && command == EditCommand::ModifyComposite && scene_ != nullptr) {
    processComposites(port_, objects_.composites, objects_.settings, objects_.colorTable, *scene_);
    scene_->updateDisplay();
  }
  return done;
}

}  // namespace qx
