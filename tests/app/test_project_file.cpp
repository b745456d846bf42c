#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "app/atomic_file.h"
#include "app/document.h"
#include "app/project_file.h"
#include "project/settings_record.h"
#include "record_testing.h"
#include "scripted_port.h"
#include "test_files.h"

using namespace qx;
using qx::test::ScriptedPort;
using namespace qx::testing;
using qx::test::readBytes;
using qx::test::TempDir;
using qx::test::writeBytes;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> folderEntries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A project with something in every field the settings store.
void fillProject(ProjectObjects& o) {
  VariableInfo au("Au");
  au.defaultValue = 0.25;
  au.missingValue = -99.0;
  au.weightingType = kWeightVolume;
  au.compositePosition = 31;
  au.compositeWidth = 8;
  VariableInfo sg("SG");
  sg.sgMark = 1;
  VariableInfoCalc eq("AuEq");
  eq.formulaCode = "a1*#";
  eq.formulaText = "Au  1.2  *  ENTER  ";
  eq.compiled.code = {'a', '1', '*', '#'};
  eq.compiled.constants[1] = 1.2;
  o.settings.replaceVariables({au, sg}, {eq});
  o.settings.useVariableSG = 1;
  o.settings.defaultSG = 2.85;
  o.settings.sidesPerPolygon = 12;
  o.settings.firstVertexAngle = -30.0;
  o.settings.projectType = 1;
  o.settings.useDilution = 1;
  o.settings.recoveryMode = 1;
  o.settings.useFixedThickness = 1;
  o.settings.fixedThickness = 3.5;
  o.viewGrid.spacing = {25.0f, 50.0f, 10.0f};
  o.viewGrid.origin = {1000.5f, -20.0f, 0.0f};
}

}  // namespace

TEST(ProjectFile, ANewProjectStartsWithTheVersionWordAndTheSettingsRecord) {
  ScriptedPort port;
  ProjectObjects o;
  QuarlexSettings settings;
  const Bytes expected = B().i32(1000).add(storeWith([&](Archive& ar) { serializeSettings(ar, settings); }));
  EXPECT_TRUE(startsWith(storeProject(o, port), expected));
}

TEST(ProjectFile, SaveLoadSaveGivesTheSameBytesAndTheSameProject) {
  ScriptedPort port;
  ProjectObjects a;
  fillProject(a);
  const Bytes first = storeProject(a, port);
  ProjectObjects b;
  loadProject(first, b, port);
  EXPECT_EQ(storeProject(b, port), first);
  EXPECT_EQ(b.settings.variableNames(), (std::vector<std::string>{"Au", "SG", "AuEq"}));
  EXPECT_EQ(b.settings.loaded[0], a.settings.loaded[0]);
  EXPECT_EQ(b.settings.calculated[0], a.settings.calculated[0]);
  EXPECT_EQ(b.settings.findSGVariable(), 1);
  EXPECT_EQ(b.viewGrid, a.viewGrid);
  EXPECT_EQ(b.settings.fixedThickness, 3.5);
  EXPECT_EQ(b.settings.projectType, 1);
}

TEST(ProjectFile, ProgressStepsFiveTimesOnSaveAndSixOnLoad) {
  ScriptedPort port;
  ProjectObjects o;
  const Bytes file = storeProject(o, port);
  auto count = [&](const std::string& prefix) {
    return std::count_if(port.log().begin(), port.log().end(),
                         [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  };
  EXPECT_EQ(count("progress pos: ") - 1, 5);  // the first is the bar's start at 0
  EXPECT_EQ(count("progress title: Project Save Progress"), 1);
  EXPECT_EQ(count("progress text: Saving Composites, Envelopes, and Surfaces"), 1);
  port.clearLog();
  ProjectObjects loaded;
  loadProject(file, loaded, port);
  EXPECT_EQ(count("progress pos: ") - 1, 6);
  EXPECT_EQ(port.log()[port.log().size() - 2], "progress pos: 50");  // the sixth step leaves it full
  EXPECT_EQ(count("progress text: Processing Colour Table"), 1);
}

TEST(ProjectFile, EveryPrefixFailsToOpenAndLeavesTheOpenProjectAsItWas) {
  ScriptedPort port;
  ProjectObjects source;
  fillProject(source);
  const Bytes file = storeProject(source, port);
  const TempDir dir("qx_project_file");
  const fs::path broken = dir / "broken.qrx";

  ProjectObjects open;
  CWQuarlexDoc doc(open, port);
  open.settings.replaceVariables({VariableInfo("Cu")}, {});
  open.settings.fixedRecovery = 0.7;
  doc.setTitle("current.qrx");
  doc.setPathName("/data/current.qrx");
  doc.setModifiedFlag(true);
  const Bytes before = storeProject(open, port);

  // Every prefix fails to load, naming what was being read.
  for (std::size_t n = 0; n < file.size(); ++n) {
    ProjectObjects scratchObjects;
    try {
      loadProject(std::span(file.data(), n), scratchObjects, port);
      FAIL() << "prefix of " << n << " bytes loaded";
    } catch (const ArchiveError& e) {
      const std::string why = e.what();
      ASSERT_TRUE(
          why.rfind("unexpected end of file in the ", 0) == 0 ||
          (why.rfind("count of ", 0) == 0 && why.find(" exceeds the rest of the file in the ") != std::string::npos))
          << n << ": " << why;
    }
    port.clearLog();
  }
  // Through the document, from disk: one message, the open project untouched.
  for (std::size_t n = 0; n < file.size(); n += 1 + file.size() / 61) {
    writeBytes(broken, Bytes(file.begin(), file.begin() + static_cast<long>(n)));
    port.clearLog();
    ASSERT_FALSE(doc.onOpenDocument(broken.string())) << n;
    ASSERT_EQ(port.messages().size(), 1u) << n;
    const std::string& msg = port.messages()[0];
    ASSERT_EQ(msg.rfind("Unable to open the project " + broken.string() + ":\n", 0), 0u) << n << ": " << msg;
    ASSERT_EQ(doc.title(), "current.qrx");
    ASSERT_EQ(doc.pathName(), "/data/current.qrx");
    ASSERT_TRUE(doc.isModified());
  }
  EXPECT_EQ(storeProject(open, port), before);
  EXPECT_EQ(open.settings.fixedRecovery, 0.7);
}

TEST(ProjectFile, MessagesNameTheRecordAndRefuseTrailingBytes) {
  ScriptedPort port;
  ProjectObjects source;
  fillProject(source);
  Bytes file = storeProject(source, port);
  // Cut inside the settings' numbers.
  Bytes cut(file.begin(), file.begin() + 30);
  ProjectObjects o;
  try {
    loadProject(cut, o, port);
    FAIL();
  } catch (const ArchiveError& e) {
    EXPECT_STREQ(e.what(), "unexpected end of file in the project settings");
  }
  // A variable count far beyond the file.
  Bytes huge = file;
  const std::size_t countAt = 4 + 8 + 8 + 4 + 8 + 8 + 6 * 4 + 8 + 8;
  huge[countAt] = huge[countAt + 1] = huge[countAt + 2] = 0xFF;
  huge[countAt + 3] = 0x7F;
  ProjectObjects o2;
  try {
    loadProject(huge, o2, port);
    FAIL();
  } catch (const ArchiveError& e) {
    EXPECT_STREQ(e.what(), "count of 2147483648 variables exceeds the rest of the file in the project settings");
  }
  file.push_back(0);
  ProjectObjects o3;
  try {
    loadProject(file, o3, port);
    FAIL();
  } catch (const ArchiveError& e) {
    EXPECT_STREQ(e.what(), "unexpected data after the polygons (1 bytes)");
  }
}

TEST(ProjectFile, OpenAndSaveThroughTheDocument) {
  ScriptedPort port;
  const TempDir tmp("qx_project_file");
  const fs::path dir = tmp.path();
  ProjectObjects o;
  fillProject(o);
  CWQuarlexDoc doc(o, port);
  doc.setModifiedFlag(true);
  ASSERT_TRUE(doc.onSaveDocument((dir / "gold.qrx").string()));
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.title(), "gold.qrx");
  EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"gold.qrx"}));

  ProjectObjects other;
  other.settings.fixedRecovery = 0.33;  // not in the file: kept from the open project
  CWQuarlexDoc doc2(other, port);
  ASSERT_TRUE(doc2.onOpenDocument((dir / "gold.qrx").string()));
  EXPECT_EQ(doc2.pathName(), (dir / "gold.qrx").string());
  EXPECT_EQ(other.settings.variableNames(), o.settings.variableNames());
  EXPECT_EQ(other.settings.fixedRecovery, 0.33);

  port.clearLog();
  EXPECT_FALSE(doc2.onOpenDocument(dir.string()));
  EXPECT_EQ(port.messages().at(0), "Unable to open the project " + dir.string() + ":\nit is a folder, not a file");
  EXPECT_FALSE(doc2.onOpenDocument((dir / "none.qrx").string()));
  EXPECT_FALSE(doc2.onSaveDocument((dir / "no-such-folder" / "x.qrx").string()));
  EXPECT_EQ(
      port.messages().back().rfind("Unable to save the project " + (dir / "no-such-folder" / "x.qrx").string(), 0), 0u);
  EXPECT_EQ(doc2.pathName(), (dir / "gold.qrx").string());
}

TEST(AtomicSave, AWriteThatFailsAtAnyByteLeavesTheOldFileWhole) {
  const TempDir tmp("qx_project_file");
  const fs::path dir = tmp.path();
  const fs::path target = dir / "project.qrx";
  const Bytes old(1000, 0xAB);
  ASSERT_EQ(writeFileAtomically(target, old), "");
  Bytes replacement(3 << 20, 0xCD);  // more than one chunk
  for (std::size_t failAt :
       {std::size_t{0}, std::size_t{1}, std::size_t{999}, std::size_t{1} << 20, (std::size_t{3} << 20) - 1}) {
    std::size_t written = 0;
    auto failing = [&](int fd, const void* data, std::size_t size) -> long {
      if (written + size > failAt) {
        const std::size_t part = failAt - written;
        if (part == 0) {
          errno = ENOSPC;
          return -1;
        }
        written += part;
        return ::write(fd, data, part);
      }
      written += size;
      return ::write(fd, data, size);
    };
    const std::string error = writeFileAtomically(target, replacement, failing);
    EXPECT_EQ(error, std::string("write failed: ") + std::strerror(ENOSPC)) << failAt;
    EXPECT_EQ(readBytes(target), old) << failAt;
    EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"project.qrx"})) << failAt;
  }
  EXPECT_EQ(writeFileAtomically(target, replacement), "");
  EXPECT_EQ(readBytes(target), replacement);
  EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"project.qrx"}));
}

TEST(AtomicSave, AProcessKilledMidSaveLeavesTheOldFileAndNoTemporary) {
  const TempDir tmp("qx_project_file");
  const fs::path dir = tmp.path();
  const fs::path target = dir / "project.qrx";
  const Bytes old(5000, 0x11);
  ASSERT_EQ(writeFileAtomically(target, old), "");
  for (std::size_t killAt : {std::size_t{0}, std::size_t{4096}, (std::size_t{2} << 20) + 7}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Bytes big(4 << 20, 0x22);
      std::size_t written = 0;
      writeFileAtomically(target, big, [&](int fd, const void* data, std::size_t size) -> long {
        const std::size_t part = std::min(size, killAt - written);
        if (part > 0) ::write(fd, data, part);
        written += part;
        if (written >= killAt) ::kill(::getpid(), SIGKILL);
        return static_cast<long>(part);
      });
      ::_exit(0);  // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << killAt;
    EXPECT_EQ(readBytes(target), old) << killAt;
    EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"project.qrx"})) << killAt;
  }
}
