// The Qt-free runtime: it adopts the test's application and runs pending events on request.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTimer>

#include <memory>
#include <thread>
#include <vector>

#include "ui/runtime.h"

namespace torvane {
namespace {

TEST(Runtime, AdoptsTheExistingApplicationAndProcessesPendingEvents) {
  int argc = 1;
  char name[] = "ui_contract_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication* before = QApplication::instance();
  {
    Runtime runtime(argc, argv);
    EXPECT_EQ(QApplication::instance(), before);
    int ran = 0;
    QTimer::singleShot(0, [&] { ++ran; });
    auto* doomed = new QObject;
    bool deleted = false;
    QObject::connect(doomed, &QObject::destroyed, [&] { deleted = true; });
    doomed->deleteLater();
    Runtime::ProcessEvents();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(deleted);
  }
  EXPECT_EQ(QApplication::instance(), before) << "an adopted application outlives the runtime";
}

// Work posted from other threads runs on this one, in order, when events are next handled; work
// posted to a mailbox that is gone by then never runs.
TEST(Runtime, AMailboxRunsPostedWorkOnTheUserInterfaceThread) {
  const std::thread::id ui_thread = std::this_thread::get_id();
  std::vector<int> ran;
  bool on_ui_thread = true;
  {
    UiMailbox mailbox;
    std::thread worker([&] {
      for (int i = 1; i <= 3; ++i) {
        mailbox.Post([&, i] {
          ran.push_back(i);
          on_ui_thread = on_ui_thread && std::this_thread::get_id() == ui_thread;
        });
      }
    });
    worker.join();
    EXPECT_TRUE(ran.empty()) << "nothing runs before events are handled";
    Runtime::ProcessEvents();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(on_ui_thread);
  }
  {
    UiMailbox gone;
    gone.Post([&] { ran.push_back(4); });
  }
  Runtime::ProcessEvents();
  EXPECT_EQ(ran.size(), 3u);
  // Work may destroy the mailbox that delivers it; what was posted after it then never runs.
  auto own = std::make_unique<UiMailbox>();
  own->Post([&] {
    ran.push_back(5);
    own.reset();
  });
  own->Post([&] { ran.push_back(6); });
  Runtime::ProcessEvents();
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 5}));
  EXPECT_EQ(own, nullptr);
}

TEST(Runtime, RunReturnsTheCodeGivenToQuit) {
  int argc = 1;
  char name[] = "ui_contract_tests";
  char* argv[] = {name, nullptr};
  Runtime runtime(argc, argv);
  QTimer::singleShot(0, [] { Runtime::Quit(3); });
  EXPECT_EQ(runtime.Run(), 3);
}

}  // namespace
}  // namespace torvane
