#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "programs/ui/BackgroundTask.h"
#include "support/FakeUserInterface.h"

namespace velto::programs {
namespace {

TEST(BackgroundTask, NoticesOfManyThreadsAreShownOnceEachWithTheirCount) {
  NoticeCollector notices;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&notices] {
      for (int i = 0; i < 250; ++i) notices.Notify("ZGEEV failed", core::MessageIcon::Error);
    });
  }
  for (auto& w : workers) w.join();
  notices.Notify("Energy outside the table", core::MessageIcon::None);

  velto::testing::FakeUserInterface ui;
  notices.ShowAll(ui);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, NoticeCollector::WithCount("ZGEEV failed", 1000));
  EXPECT_NE(ui.messages[0].text.find("1000 times"), std::string::npos);
  EXPECT_EQ(ui.messages[0].icon, core::MessageIcon::Error);
  // A notice that came once is shown exactly as its text.
  EXPECT_EQ(ui.messages[1].text, "Energy outside the table");
  EXPECT_TRUE(notices.Empty());
}

TEST(BackgroundTask, AScriptRunsComputeThenShowsNoticesThenFinishes) {
  velto::testing::FakeUserInterface ui;
  std::vector<std::string> order;
  ui.RunInBackground({"work",
                      [&order](core::Notifier& n, core::Progress& p) {
                        order.push_back("compute");
                        p.Report(50);
                        n.Notify("half way", core::MessageIcon::None);
                      },
                      [&order, &ui](UserInterface&, bool cancelled) {
                        order.push_back(ui.messages.size() == 1 ? "finish after notice" : "finish too early");
                        EXPECT_FALSE(cancelled);
                      }});
  EXPECT_EQ(order, (std::vector<std::string>{"compute", "finish after notice"}));
  EXPECT_EQ(ui.progressReports, std::vector<int>{50});
  EXPECT_EQ(ui.tasksRun, std::vector<std::string>{"work"});

  ui.cancelProgress = true;
  bool sawCancel = false;
  ui.RunInBackground({"again", {}, [&sawCancel](UserInterface&, bool cancelled) { sawCancel = cancelled; }});
  EXPECT_TRUE(sawCancel);
}

}  // namespace
}  // namespace velto::programs
