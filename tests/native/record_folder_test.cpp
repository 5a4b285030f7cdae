#include "scheduler/record_folder.h"

#include <gtest/gtest.h>

#include "scheduler/run_record.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_record_file.h"
#include "tests/fakes/fake_shell.h"

namespace velmaro {
namespace {

const char kFolder[] = "C:\\ProgramData\\Velmaro";
const char kPath[] = "C:\\ProgramData\\Velmaro\\运行记录.log";
const char kOldPath[] = "C:\\ProgramData\\Velmaro\\运行记录.old.log";
const char kSignedInUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

FileSecurity UserOwned() { return FileSecurity{true, true, kSignedInUser, {{kSignedInUser, 0x1F01FF}}}; }

TEST(ClosedRecordFiles, WritesOnlyIntoARealFolderClosedToStandardUsers) {
  struct Case {
    const char* what;
    void (*arrange)(FakeRecordFiles&);
    bool written;
    bool made;  // the folder was made
  };
  const Case cases[] = {
      {"a folder in its place", [](FakeRecordFiles&) {}, true, false},
      {"no folder yet: made closed, then written", [](FakeRecordFiles& f) { f.missingFolders.insert(kFolder); },
       true, true},
      {"a folder that cannot be made",
       [](FakeRecordFiles& f) {
         f.missingFolders.insert(kFolder);
         f.failMakeFolder = true;
       },
       false, true},
      {"made first by a standard user",
       [](FakeRecordFiles& f) { f.facts[kFolder] = PathFacts{true, true, false, UserOwned()}; }, false, false},
      {"a junction to a folder of the user's",
       [](FakeRecordFiles& f) { f.facts[kFolder] = PathFacts{true, true, true, f.closed}; }, false, false},
      {"a file of that name", [](FakeRecordFiles& f) { f.facts[kFolder] = PathFacts{true, false, false, f.closed}; },
       false, false},
      {"everyone may write in it",
       [](FakeRecordFiles& f) {
         PathFacts open{true, true, false, f.closed};
         open.security.entries.push_back({"S-1-1-0", 0x1301BF});
         f.facts[kFolder] = open;
       },
       false, false},
      {"on a file system that keeps no rights",
       [](FakeRecordFiles& f) { f.facts[kFolder] = PathFacts{true, true, false, FileSecurity{}}; }, false, false},
      {"a record file the user made",
       [](FakeRecordFiles& f) {
         f.files[kPath] = "forged\r\n";
         f.facts[kPath] = PathFacts{true, false, false, UserOwned()};
       },
       false, false},
      {"a record file that is another file's second name",
       [](FakeRecordFiles& f) {
         f.files[kPath] = "";
         f.facts[kPath] = PathFacts{true, false, true, f.closed};
       },
       false, false},
  };
  for (const Case& c : cases) {
    FakeRecordFiles files;
    c.arrange(files);
    const std::string before = files.files.count(kPath) ? files.files[kPath] : "";
    FakeShell shell;
    FakeClock clock;
    ClosedRecordFiles closed(files, shell);
    RunRecord record(closed, clock);

    EXPECT_EQ(closed.Prepare(record.Path()), c.written) << c.what;
    EXPECT_EQ(files.made.size(), c.made ? 1u : 0u) << c.what << ": made before the first line";
    const RecordEntry entry{1, "每天08:00", "提醒", RecordOutcome::Ran, 0, {}};
    record.Write(entry);
    record.Write(entry);

    const std::string after = files.files.count(kPath) ? files.files[kPath] : "";
    EXPECT_EQ(after != before, c.written) << c.what;
    if (c.written) {
      EXPECT_EQ(after.size(), 2 * RecordLine(clock.now, entry).size()) << c.what;
    }
    if (c.written) {
      EXPECT_EQ(files.made.size(), c.made ? 1u : 0u) << c.what << ": a folder is made once";
    }
    // Said once, however often the record is refused.
    ASSERT_EQ(shell.boxes.size(), c.written ? 0u : 1u) << c.what;
    if (!c.written) {
      EXPECT_EQ(shell.boxes[0].text.rfind(kRecordRefused, 0), 0u) << c.what;
      EXPECT_NE(shell.boxes[0].text.find(kFolder), std::string::npos) << c.what << ": names the folder";
    }
  }
}

TEST(ClosedRecordFiles, TheFullRecordMovesAsideOnlyWithinTheCheckedFolder) {
  const std::string full(static_cast<std::size_t>(kRecordLimitBytes), 'a');
  struct Case {
    const char* what;
    PathFacts oldFile;  // what the file the record moves over shows
    bool moved;
  };
  FakeRecordFiles closedFacts;
  const Case cases[] = {
      {"an old record of the program's", PathFacts{true, false, false, closedFacts.closed}, true},
      {"none yet", PathFacts{}, true},
      {"one a standard user put there", PathFacts{true, false, false, UserOwned()}, false},
      {"a link", PathFacts{true, false, true, closedFacts.closed}, false},
  };
  for (const Case& c : cases) {
    FakeRecordFiles files;
    files.files[kPath] = full;
    files.facts[kOldPath] = c.oldFile;
    if (c.oldFile.exists) files.files[kOldPath] = "old";
    FakeShell shell;
    FakeClock clock;
    ClosedRecordFiles closed(files, shell);
    RunRecord(closed, clock).Write(RecordEntry{1, "每天08:00", "提醒", RecordOutcome::Ran, 0, {}});
    EXPECT_EQ(files.files[kOldPath] == full, c.moved) << c.what;
    EXPECT_EQ(shell.boxes.size(), c.moved ? 0u : 1u) << c.what;
  }

  // Never a move between folders, whatever either holds.
  FakeRecordFiles files;
  files.files[kPath] = full;
  FakeShell shell;
  ClosedRecordFiles closed(files, shell);
  EXPECT_FALSE(closed.Replace(kPath, "C:\\Users\\张\\运行记录.old.log"));
  EXPECT_FALSE(closed.Replace("C:\\Users\\张\\运行记录.log", kOldPath));
  EXPECT_EQ(files.files.size(), 1u);
}

}  // namespace
}  // namespace velmaro
