// The Qt-free runtime: it adopts the test's application and runs pending events on request.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTimer>

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
