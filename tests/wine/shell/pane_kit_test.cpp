// The pane kit on the frame's toolkit: a handler that throws is recorded and never unwinds into the
// toolkit, event arguments reach the handler, a kept element stops answering once destroyed, and
// the list, list box, tree and find-box set-ups give the panes' common look.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>

#include "base/guard.h"
#include "common/host_fixture.h"
#include "common/win32_support.h"
#include "lifecycle/lifecycle.h"
#include "shell/pane_kit.h"
#include "shell/shell.h"
#include "toolkit/model/core/context.h"
#include "toolkit/model/views/list.h"
#include "toolkit/model/views/tree.h"
#include "toolkit/xcgui_views.h"

namespace tovalux {
namespace {

using testing::HostFixture;

const bool kLifecycleResets = (HostFixture::setAfterTeardown(&resetLifecycleForTests), true);

std::string gSearched;
int gSearches = 0;
void recordSearch(std::string_view query) {
  gSearched = std::string(query);
  ++gSearches;
}

class PaneKitTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Theme paths are relative to the current directory, the host's folder.
    SetCurrentDirectoryA(testing::winePath(TOVALUX_HOST_DIR).c_str());
    CreateDirectoryA((testing::programDirectory() + "\\lib").c_str(), nullptr);
    CreateDirectoryA((testing::programDirectory() + "\\lib\\Tovalux").c_str(), nullptr);
  }
  void SetUp() override {
    resetFailuresForTests();
    host.host().show(SW_SHOWNORMAL);
    ASSERT_EQ(host.startShell(), 1);
    ASSERT_TRUE(shellExists());
    host.pump();
    parent = pane(kPaneWatch);
    ASSERT_NE(parent, 0u);
  }
  void TearDown() override { resetFailuresForTests(); }

  HostFixture host;
  HELE parent = 0;
};

TEST_F(PaneKitTest, AThrowingHandlerIsRecordedAndTheEventStaysUnhandled) {
  const HELE list = XListBox_Create(0, 0, 100, 100, parent);
  static int seenRow = -1;
  static int runs = 0;
  seenRow = -1;
  runs = 0;
  pane_kit::onEvent(list, XE_LISTBOX_SELECT, [](int row) {
    seenRow = row;
    throw std::runtime_error("pane handler");
  });
  // A second handler of the same event still runs after the first one threw.
  pane_kit::onEventWithSelf(list, XE_LISTBOX_SELECT, [list](HELE self, int) { runs += self == list ? 1 : 100; });
  const uint32_t failuresBefore = failureCount(GuardSite::kToolkit);
  EXPECT_EQ(XEle_SendEvent(list, XE_LISTBOX_SELECT, 7), 0);
  EXPECT_EQ(seenRow, 7);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(failureCount(GuardSite::kToolkit), failuresBefore + 1);
}

TEST_F(PaneKitTest, AKeptElementAnswersOnlyWhileItLivesAndIsOfItsKind) {
  const HELE list = XListBox_Create(0, 0, 100, 100, parent);
  const HELE tree = XTree_Create(0, 0, 100, 100, parent);
  pane_kit::PaneElement<XC_LISTBOX> kept;
  EXPECT_FALSE(kept.adopt(tree));  // a tree is no list box
  EXPECT_EQ(kept.get(), 0u);
  EXPECT_FALSE(kept.adopt(0));
  ASSERT_TRUE(kept.adopt(list));
  EXPECT_TRUE(kept.live());
  EXPECT_EQ(kept.get(), list);
  XEle_Destroy(list);
  EXPECT_FALSE(kept.live());
  EXPECT_EQ(kept.get(), 0u);
  kept.forget();
  EXPECT_EQ(static_cast<HELE>(kept), 0u);
}

TEST_F(PaneKitTest, AListGetsItsColumnsNamedInOrderAndTheCommonHeights) {
  const HELE list = XList_Create(0, 0, 300, 200, parent);
  const pane_kit::ListColumn columns[] = {{80, L"地址"}, {200, L"机器代码"}, {260, L"汇编代码"}};
  pane_kit::setUpList(list, columns, {.singleSelection = false, .scrollBarLook = false, .rowSpace = 0});
  const auto* model = tk::context().registry.get<tk::List>(list);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->columns.size(), 3u);
  EXPECT_EQ(model->columns[0].name, "name1");
  EXPECT_EQ(model->columns[2].name, "name3");
  EXPECT_EQ(XList_GetColumnWidth(list, 1), 200);
  EXPECT_EQ(XList_GetHeaderHeight(list), 20);
  EXPECT_EQ(model->itemHeight, 18);
  EXPECT_EQ(model->rowSpace, 0);
}

TEST_F(PaneKitTest, ATreeTakesThePaneTreeLook) {
  const HELE tree = XTree_Create(0, 0, 200, 200, parent);
  pane_kit::setUpTree(tree);
  const auto* model = tk::context().registry.get<tk::Tree>(tree);
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(model->heightGiven);
  EXPECT_EQ(model->itemHeight, 20);
  EXPECT_EQ(model->indentation, 10);
  EXPECT_FALSE(model->connectLine);
  EXPECT_NE(pane_kit::loadTreeItemTemplate("LibsTreeItem2.xml"), 0u);
  EXPECT_EQ(pane_kit::loadTreeItemTemplate("NoSuchTemplate.xml"), 0u);
}

TEST_F(PaneKitTest, TheFindBoxSearchesWithItsTextInGbk) {
  const HELE combo = XComboBox_Create(0, 0, 120, 24, parent);
  gSearched.clear();
  gSearches = 0;
  pane_kit::setUpFindBox(combo, &recordSearch);
  XComboBox_SetText(combo, L"全局变量");
  XEle_SendEvent(combo, XE_EDIT_CHANGED);
  EXPECT_EQ(gSearches, 1);
  EXPECT_EQ(gSearched, "全局变量");
  // Anything else than a combo box gets no search.
  const HELE list = XListBox_Create(0, 0, 100, 100, parent);
  pane_kit::setUpFindBox(list, &recordSearch);
  XEle_SendEvent(list, XE_EDIT_CHANGED);
  EXPECT_EQ(gSearches, 1);
}

}  // namespace
}  // namespace tovalux
