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

// What loading the bytes threw; "loaded" when it did not throw.
std::string projectError(std::span<const std::uint8_t> file) {
  ScriptedPort port;
  ProjectObjects o;
  try {
    loadProject(file, o, port);
  } catch (const ArchiveError& e) {
    return e.what();
  }
  return "loaded";
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
  o.settings.projectType = 1;
  o.settings.fixedThickness = 3.5;
  o.viewGrid.spacing = {25.0f, 50.0f, 10.0f};
  o.viewGrid.origin = {1000.5f, -20.0f, 0.0f};
}

}  // namespace

TEST(ProjectFile, SaveLoadSaveGivesTheSameBytesAndTheSameProject) {
  ScriptedPort port;
  ProjectObjects a;
  fillProject(a);
  const Bytes first = storeProject(a, port);
  ProjectObjects b;
  loadProject(first, b, port);
  EXPECT_EQ(storeProject(b, port), first);
  EXPECT_EQ(b.settings.calculated[0], a.settings.calculated[0]);

  // A new project starts with the version word and the settings record.
  ProjectObjects fresh;
  const Bytes expected = B().i32(1000).add(storeWith([&](Archive& ar) { serializeSettings(ar, fresh.settings); }));
  EXPECT_TRUE(startsWith(storeProject(fresh, port), expected));
}

TEST(ProjectFile, EveryPrefixFailsToOpenMessagesNameTheRecordAndTrailingBytesAreRefused) {
  ScriptedPort port;
  ProjectObjects source;
  fillProject(source);
  Bytes file = storeProject(source, port);
  const TempDir dir("qx_project_file");
  const fs::path broken = dir / "broken.qrx";

  ProjectObjects open;
  CWQuarlexDoc doc(open, port);
  open.settings.replaceVariables({VariableInfo("Cu")}, {});
  doc.setTitle("current.qrx");
  doc.setPathName("/data/current.qrx");
  doc.setModifiedFlag(true);
  const Bytes before = storeProject(open, port);

  // Every prefix fails to load, naming what was being read.
  for (std::size_t n = 0; n < file.size(); ++n) {
    const std::string why = projectError(std::span(file.data(), n));
    ASSERT_TRUE(
        why.rfind("unexpected end of file in the ", 0) == 0 ||
        (why.rfind("count of ", 0) == 0 && why.find(" exceeds the rest of the file in the ") != std::string::npos))
        << n << ": " << why;
  }
  // Through the document, from disk: one message, the open project untouched.
  for (std::size_t n = 0; n < file.size(); n += 1 + file.size() / 61) {
    writeBytes(broken, Bytes(file.begin(), file.begin() + static_cast<long>(n)));
    port.clearLog();
    ASSERT_FALSE(doc.onOpenDocument(broken.string())) << n;
    ASSERT_EQ(port.messages().size(), 1u) << n;
    ASSERT_EQ(port.messages()[0].rfind("Unable to open the project " + broken.string() + ":\n", 0), 0u) << n;
    ASSERT_EQ(doc.pathName(), "/data/current.qrx");
    ASSERT_TRUE(doc.isModified());
  }
  EXPECT_EQ(storeProject(open, port), before);

  // Cut inside the settings' numbers.
  EXPECT_EQ(projectError(std::span(file.data(), 30)), "unexpected end of file in the project settings");
  // A variable count far beyond the file.
  const Bytes huge = patched(file, 4 + 8 + 8 + 4 + 8 + 8 + 6 * 4 + 8 + 8, 0x7FFFFFFF);
  EXPECT_EQ(projectError(huge), "count of 2147483648 variables exceeds the rest of the file in the project settings");
  file.push_back(0);
  EXPECT_EQ(projectError(file), "unexpected data after the polygons (1 bytes)");
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

  ProjectObjects other;
  other.settings.fixedRecovery = 0.33;  // not in the file: kept from the open project
  CWQuarlexDoc doc2(other, port);
  ASSERT_TRUE(doc2.onOpenDocument((dir / "gold.qrx").string()));
  EXPECT_EQ(other.settings.variableNames(), o.settings.variableNames());
  EXPECT_EQ(other.settings.fixedRecovery, 0.33);

  port.clearLog();
  EXPECT_FALSE(doc2.onOpenDocument(dir.string()));
  EXPECT_EQ(port.messages().at(0), "Unable to open the project " + dir.string() + ":\nit is a folder, not a file");
  EXPECT_FALSE(doc2.onSaveDocument((dir / "no-such-folder" / "x.qrx").string()));
  EXPECT_EQ(
      port.messages().back().rfind("Unable to save the project " + (dir / "no-such-folder" / "x.qrx").string(), 0), 0u);
  EXPECT_EQ(doc2.pathName(), (dir / "gold.qrx").string());
}

TEST(AtomicSave, AWriteThatFailsAtAnyByteLeavesTheOldFileWhole) {
  const TempDir dir("qx_project_file");
  const fs::path target = dir / "project.qrx";
  const Bytes old(1000, 0xAB);
  ASSERT_EQ(writeFileAtomically(target, old), "");
  Bytes replacement(3 << 20, 0xCD);  // more than one chunk
  for (std::size_t failAt :
       {std::size_t{0}, std::size_t{1}, std::size_t{999}, std::size_t{1} << 20, (std::size_t{3} << 20) - 1}) {
    std::size_t written = 0;
    auto failing = [&](int fd, const void* data, std::size_t size) -> long {
      const std::size_t part = std::min(size, failAt - written);  // a short write up to failAt, then ENOSPC
      if (part == 0) {
        errno = ENOSPC;
        return -1;
      }
      written += part;
      return ::write(fd, data, part);
    };
    EXPECT_EQ(writeFileAtomically(target, replacement, failing), std::string("write failed: ") + std::strerror(ENOSPC))
        << failAt;
    EXPECT_EQ(readBytes(target), old) << failAt;
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"project.qrx"})) << failAt;
  }
  EXPECT_EQ(writeFileAtomically(target, replacement), "");
  EXPECT_EQ(readBytes(target), replacement);
}

TEST(AtomicSave, AProcessKilledMidSaveLeavesTheOldFileAndNoTemporary) {
  const TempDir dir("qx_project_file");
  const fs::path target = dir / "project.qrx";
  const Bytes old(5000, 0x11);
  ASSERT_EQ(writeFileAtomically(target, old), "");
  for (std::size_t killAt : {std::size_t{0}, std::size_t{4096}, (std::size_t{2} << 20) + 7}) {
    const pid_t child = ::fork();
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
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"project.qrx"})) << killAt;
  }
}
