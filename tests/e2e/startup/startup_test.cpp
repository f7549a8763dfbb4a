// ehost.exe loads the real Tovalux.fne from its lib folder and plays start-up and closing.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/e2e_runner.h"
#include "common/win32_support.h"

namespace tovalux::testing {
namespace {

using standin::JournalEntry;

// Position of the first entry of `kind` matching `predicate` at or after `from`; size() if none.
size_t find(const std::vector<JournalEntry>& entries, const std::string& kind, const JournalPredicate& predicate,
            size_t from = 0) {
  for (size_t i = from; i < entries.size(); ++i)
    if (entries[i].kind == kind && predicate(entries[i])) return i;
  return entries.size();
}

TEST(HostStartup, LoadsThePluginHidesTheDockBarsAndRestoresThemOnClose) {
  EhostRun run({.name = "e2e_startup"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));
  ASSERT_TRUE(run.send("close"));
  ASSERT_EQ(run.waitForExit(), 0);
  const std::vector<JournalEntry>& entries = run.journal();

  const size_t library = find(entries, "library", fieldIs("name", "Tovalux.fne"));
  ASSERT_LT(library, entries.size());
  EXPECT_EQ(entries[library].get("title"), "Tovalux IDE");
  EXPECT_EQ(entries[library].number("commands"), 2);

  const size_t sent = find(entries, "notify-sent", fieldIs("code", 1));
  const size_t answered = find(entries, "notify", fieldIs("code", 1));
  ASSERT_LT(answered, entries.size());
  EXPECT_EQ(entries[answered].number("answer"), 1);
  // The plug-in asked for the main window during the notification.
  const size_t ask = find(entries, "host-call", fieldIs("code", 1), sent);
  ASSERT_LT(ask, answered);
  EXPECT_NE(entries[ask].number("answer"), 0);
  const size_t hidden = find(entries, "dock-bars", fieldIs("moment", "after-notify-1"));
  ASSERT_LT(hidden, entries.size());
  EXPECT_EQ(entries[hidden].get("visible"), "0000");

  const size_t closed = find(entries, "notify", fieldIs("code", 6));
  ASSERT_LT(closed, entries.size());
  EXPECT_EQ(entries[closed].number("answer"), 0);
  const size_t shown = find(entries, "dock-bars", fieldIs("moment", "after-notify-6"));
  ASSERT_LT(shown, entries.size());
  EXPECT_EQ(entries[shown].get("visible"), "1111");
  EXPECT_EQ(entries.back().kind, "exit");  // the host ended its loop normally
}

TEST(HostStartup, SavesAScreenshotAndClosesNormally) {
  const std::string picture = artefactsFolder() + "\\e2e_startup.png";
  DeleteFileA(picture.c_str());
  EhostRun run({.name = "e2e_screenshot", .arguments = {"--screenshot \"" + picture + "\""}});
  ASSERT_TRUE(run.start());
  ASSERT_EQ(run.waitForExit(), 0);
  const std::vector<JournalEntry>& entries = run.journal();
  const size_t shot = find(entries, "screenshot", fieldIs("saved", 1));
  ASSERT_LT(shot, entries.size());
  const size_t closed = find(entries, "notify", fieldIs("code", 6));
  ASSERT_LT(closed, entries.size()) << "the library was never told the host closes";
  EXPECT_LT(shot, closed);
  std::ifstream file(picture, std::ios::binary);
  char signature[8] = {};
  file.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST(HostStartup, PopupMenusAreAnnouncedAndLogged) {
  NotepadSink log("TovaluxLog.txt - 记事本");
  EhostRun run({.name = "e2e_popup"});
  ASSERT_TRUE(run.start());
  ASSERT_TRUE(run.waitForJournal("started"));
  ASSERT_TRUE(run.send("popup 3 7"));
  // The scripted menu closes itself; wait for the host to record it before closing the host.
  ASSERT_TRUE(run.waitForJournal("popup-menu", fieldIs("p1", 3)));
  ASSERT_TRUE(run.send("close"));
  ASSERT_EQ(run.waitForExit(), 0);

  EXPECT_EQ(log.text(), "弹出菜单 : 3,7\r\n#NL_FREE_LIB_DATA\r\n");
  const std::vector<JournalEntry>& entries = run.journal();
  const size_t announced = find(entries, "notify", fieldIs("code", 19));
  ASSERT_LT(announced, entries.size());
  EXPECT_EQ(entries[announced].number("p1"), 3);
  EXPECT_EQ(entries[announced].number("p2"), 7);
  EXPECT_EQ(entries[announced].number("answer"), 1);
  EXPECT_LT(announced, find(entries, "popup-menu", fieldIs("p1", 3)));
}

}  // namespace
}  // namespace tovalux::testing
