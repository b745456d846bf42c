#include "sections/sections.h"

#include <cmath>

#include "sections/rotation.h"

namespace qx {

std::int32_t Section::computeOrientation() {
  if (dip == 90.0f || dip == -90.0f)
    orientation = kPlan;
  else if (dip == 0.0f && (azimuth == 0.0f || azimuth == 180.0f || azimuth == -180.0f || azimuth == 360.0f))
    orientation = kNorthSouth;
  else if (dip == 0.0f && (azimuth == 90.0f || azimuth == 270.0f || azimuth == -90.0f))
    orientation = kEastWest;
  else
    orientation = kOther;
  return orientation;
}

DPoint3D Section::viewDirection() const {
  const double a = (90.0 - azimuth) * kRadiansPerDegree;
  const double d = dip * kRadiansPerDegree;
  return {std::cos(a) * std::cos(d), std::sin(a) * std::cos(d), std::sin(d)};
}

void Section::serialize(Archive& ar) {
  ar.io(name);
  ar.io(azimuth);
  ar.io(dip);
  ar.io(fieldWidth);
  ar.io(fieldHeight);
  ar.io(orientation);
  ar.io(target.x);
  ar.io(target.y);
  ar.io(target.z);
  ar.io(slabFront);
  ar.io(slabBack);
  ar.io(referencePoint.x);
  ar.io(referencePoint.y);
  ar.io(referencePoint.z);
}

void SectionSet::createStandardSections() {
  struct Standard {
    const char* name;
    float azimuth;
    float dip;
  };
  static constexpr Standard kStandard[] = {{"ORTHO-045", 45.0f, -25.0f},  {"ORTHO-135", 135.0f, -25.0f},
                                           {"ORTHO-225", 225.0f, -25.0f}, {"ORTHO-315", 315.0f, -25.0f},
                                           {"Reverse-PLAN", 0.0f, 90.0f}, {"PLAN", 0.0f, -90.0f},
                                           {"SIDE-000", 0.0f, 0.0f},      {"SIDE-090", 90.0f, 0.0f},
                                           {"SIDE-180", 180.0f, 0.0f},    {"SIDE-270", 270.0f, 0.0f}};
  Section t = current;
  t.target = {};
  t.slabFront = 0.0f;
  t.slabBack = 0.0f;
  t.referencePoint = {};
  t.fieldWidth = 100.0f;
  t.fieldHeight = 100.0f;
  for (const auto& s : kStandard) {
    t.name = s.name;
    t.azimuth = s.azimuth;
    t.dip = s.dip;
    named.push_back(t);
  }
}

int SectionSet::findNamed(std::string_view name) const {
  for (int i = 0; i < count(); ++i)
    if (named[static_cast<std::size_t>(i)].name == name) return i;
  return -1;
}

namespace {
// Appends and drops the oldest entry beyond the limit; returns the last index.
std::int32_t pushHistory(std::vector<Section>& history, const Section& s) {
  history.push_back(s);
  if (history.size() > static_cast<std::size_t>(SectionSet::kMaxHistory)) history.erase(history.begin());
  return static_cast<std::int32_t>(history.size()) - 1;
}
}  // namespace

void SectionSet::recordCurrentView() { backIndex = pushHistory(back, current); }

int SectionSet::goBack() {
  if (back.empty()) return 0;
  forwardIndex = pushHistory(forward, current);
  current = back.back();
  back.pop_back();
  backIndex = static_cast<std::int32_t>(back.size()) - 1;
  return 1;
}

int SectionSet::goForward() {
  if (forward.empty()) return 0;
  recordCurrentView();
  current = forward.back();
  forward.pop_back();
  forwardIndex = static_cast<std::int32_t>(forward.size()) - 1;
  return 1;
}

namespace {
void serializeSections(Archive& ar, std::vector<Section>& list, std::int32_t n) {
  if (ar.isLoading()) list.assign(static_cast<std::size_t>(n), Section());
  for (auto& s : list) s.serialize(ar);
}
}  // namespace

void SectionSet::serialize(Archive& ar) {
  ar.setContext("the sections");
  const std::int32_t n =
      ar.ioInt32Count(static_cast<std::int32_t>(named.size()), Section::kMinRecordBytes, "named sections");
  ar.io(backIndex);
  ar.io(forwardIndex);
  serializeSections(ar, named, n);
  const std::int32_t nb =
      ar.ioInt32Count(static_cast<std::int32_t>(back.size()), Section::kMinRecordBytes, "sections in the history");
  serializeSections(ar, back, nb);
  const std::int32_t nf =
      ar.ioInt32Count(static_cast<std::int32_t>(forward.size()), Section::kMinRecordBytes, "sections in the history");
  serializeSections(ar, forward, nf);
  current.serialize(ar);
}

}  // namespace qx
