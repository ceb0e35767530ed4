// The per-user settings store shared by every run of one user: writers at the same
// moment, a damaged file, a lock nobody releases, a folder that cannot be made.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/UExceptions.h"
#include "base/UPaths.h"
#include "base/USettingsStore.h"
#include "base/UTextFile.h"
#include "support/TempDir.h"

namespace {

// The names in the settings folder other than the file and its lock: what a write
// left behind.
std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name != "settings.reg" && name != "settings.reg.lock") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// Threads stand in for processes: each has its own store object, as each run has.
// Every change of every writer must survive, and the file must parse at every moment.
TEST(SettingsStoreConcurrency, WritersAtTheSameTimeKeepEveryChange) {
  TempDir dir;
  const std::string file = dir.Path() + "/cfg/settings.reg";
  const std::string recent = "Software\\Quillmark\\Ferrovan\\TableSessions";
  constexpr int Writers = 6, Rounds = 15;
  std::atomic<int> ready{0};
  std::vector<std::string> errors[Writers];
  std::vector<std::thread> threads;
  for (int w = 0; w < Writers; ++w) {
    threads.emplace_back([&, w] {
      TSettingsStore store(file);
      ++ready;
      while (ready < Writers) std::this_thread::yield();  // start together
      for (int i = 0; i < Rounds; ++i) {
        try {
          store.WriteString("Software\\Test\\W" + std::to_string(w), "V" + std::to_string(i), std::to_string(i));
          AddRecentFile(store, recent, "/w" + std::to_string(w) + "/" + std::to_string(i) + ".uld", 1000);
          // A reader in between sees a whole file.
          store.ReadString(recent, "File0");
        } catch (const std::exception& e) {
          errors[w].push_back(ExceptionMessage(e));
        }
        for (auto& warning : store.TakeWarnings()) errors[w].push_back(warning);
      }
    });
  }
  for (auto& t : threads) t.join();
  for (int w = 0; w < Writers; ++w) EXPECT_EQ(errors[w], std::vector<std::string>{}) << "writer " << w;

  TSettingsStore store(file);
  for (int w = 0; w < Writers; ++w)
    EXPECT_EQ(store.GetValueNames("Software\\Test\\W" + std::to_string(w)).size(), size_t{Rounds}) << w;
  std::vector<std::string> files = ReadRecentFiles(store, recent);
  EXPECT_EQ(files.size(), size_t{Writers * Rounds});
  std::sort(files.begin(), files.end());
  EXPECT_EQ(std::unique(files.begin(), files.end()), files.end());
  EXPECT_TRUE(store.TakeWarnings().empty());
  EXPECT_EQ(Leftovers(dir.Path() + "/cfg"), std::vector<std::string>{});  // no temporary files, nothing set aside
}

TEST(SettingsStoreConcurrency, ATransactionIsOneReadModifyWrite) {
  TempDir dir;
  const std::string file = dir.Path() + "/settings.reg";
  constexpr int Writers = 4, Rounds = 20;
  std::vector<std::thread> threads;
  for (int w = 0; w < Writers; ++w) {
    threads.emplace_back([&] {
      TSettingsStore store(file);
      for (int i = 0; i < Rounds; ++i)
        store.Transaction([&] { store.WriteInteger("Counter", "N", store.ReadInteger("Counter", "N") + 1); });
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(TSettingsStore(file).ReadInteger("Counter", "N"), Writers * Rounds);

  // A transaction that raises writes nothing.
  TSettingsStore store(file);
  EXPECT_THROW(store.Transaction([&] {
    store.WriteInteger("Counter", "N", -1);
    throw Exception("changed my mind");
  }),
               Exception);
  EXPECT_EQ(store.ReadInteger("Counter", "N"), Writers * Rounds);
}

// A damaged file costs its lists and flags, never a run: it is set aside for a look,
// the store starts empty and says so once.
TEST(SettingsStoreDamage, ADamagedFileIsSetAsideAndStartedAnew) {
  struct Case {
    std::string content;
    int line;
  } cases[] = {
      {"; comment\n[Software\\A]\n\"Name\"=\"cut off\n", 3},
      {"\"Name\"=\"before any key\"\n", 1},
      {"[Software\\A]\n\"Name\"=\"x\"\nName=x\n", 3},
      {"[Software\\A]\n\"Name\"\n", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    TempDir dir;
    const std::string file = dir.Path() + "/settings.reg";
    WriteFileBytes(file, c.content);
    TSettingsStore store(file);
    EXPECT_EQ(store.ReadString("Software\\A", "Name", "default"), "default");
    EXPECT_EQ(store.TakeWarnings(),
              std::vector<std::string>{"Settings file \"" + file + "\" is damaged at line " + std::to_string(c.line) +
                                       "; it was set aside as \"" + file + ".damaged\" and started anew."});
    EXPECT_EQ(ReadFileBytes(file + ".damaged"), c.content);
    store.WriteString("Software\\A", "Name", "new");
    EXPECT_EQ(TSettingsStore(file).ReadString("Software\\A", "Name"), "new");
    EXPECT_TRUE(store.TakeWarnings().empty());

    // A second damaged file does not replace the first one set aside.
    WriteFileBytes(file, c.content);
    store.WriteString("Software\\A", "Other", "x");
    EXPECT_EQ(store.TakeWarnings().size(), 1u);
    EXPECT_EQ(ReadFileBytes(file + ".damaged1"), c.content);
    EXPECT_EQ(TSettingsStore(file).GetValueNames("Software\\A"), std::vector<std::string>{"Other"});
  }
}

// A process that holds the lock and never lets go (stopped, say) makes the store give
// up with an error, which a run turns into a warning, instead of hanging the run.
TEST(SettingsStoreLock, ALockHeldElsewhereEndsInAnErrorNotAHang) {
  TempDir dir;
  const std::string file = dir.Path() + "/settings.reg";
  TSettingsStore store(file);
  store.WriteString("K", "V", "1");
  int holder = ::open((file + ".lock").c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  store.LockTimeoutMs = 100;
  for (auto call :
       {+[](TSettingsStore& s) { s.WriteString("K", "V", "2"); }, +[](TSettingsStore& s) { s.ReadString("K", "V"); }}) {
    try {
      call(store);
      ADD_FAILURE() << "no error while the lock is held";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.Message, "Cannot lock settings file \"" + file + ".lock\". Another process holds it.");
    }
  }
  ::close(holder);
  store.WriteString("K", "V", "3");
  EXPECT_EQ(store.ReadString("K", "V"), "3");
}

TEST(SettingsStoreLock, AFolderThatCannotBeMadeFailsWritesAndReadsNothing) {
  TempDir dir;
  WriteFileBytes(dir.Path() + "/blocker", "x");
  TSettingsStore store(dir.Path() + "/blocker/quillmark/settings.reg");
  EXPECT_EQ(store.ReadString("K", "V", "default"), "default");
  try {
    store.WriteString("K", "V", "1");
    ADD_FAILURE() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message, "Cannot create \"" + dir.Path() + "/blocker/quillmark/\"");
  }
}
