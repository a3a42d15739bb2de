#pragma once

// A running main window on the offscreen platform with scripted modal services, user folders
// redirected into a temporary folder, and helpers to make database files for the logic's tests.
// Header-only: its literals are internal text, compiled with the logic's tests that include it.

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/database_commands.h"
#include "base/files.h"
#include "base/text.h"
#include "program/command_routing.h"
#include "support/raw_db.h"
#include "support/scripted_modal_services.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/modal_services.h"
#include "ui/runtime.h"

namespace torvane::testing {

class AppTest : public ::testing::Test {
 protected:
  AppTest()
      : config_("XDG_CONFIG_HOME", dir_.system_path() + "/config"),
        data_("XDG_DATA_HOME", dir_.system_path() + "/data") {}

  ~AppTest() override {
    // Backups land beside the test program: take back the ones this test made.
    for (const std::string& path : backups_made()) DeleteFile(path);
    ReleaseState(state_);
  }

  // Binds the window's events and shows it, which runs the start-up work with `arguments` once
  // the window is painted, as in the program; then waits for the backup of the file it opened.
  void Start(std::vector<std::string> arguments = {}) {
    ConnectMainWindow(app_, ParseCommandLine(arguments));
    window_.Show();
    WaitForFirstShow();
    WaitForBackup();
  }

  // Handles events, as the idle program does, until the backup the last open is making on a
  // worker thread has ended and been told; fails the test when it never does.
  void WaitForBackup() {
    for (int round = 0; round < 6000 && state_.OpenBackup && !state_.OpenBackupTold; ++round) {
      state_.OpenBackup->WaitFor(10);
      Runtime::ProcessEvents();
    }
    EXPECT_TRUE(!state_.OpenBackup || state_.OpenBackupTold) << "the open's backup never ended";
  }

  // Handles events until the main window has been painted and its start-up work has run.
  void WaitForFirstShow() {
    for (int round = 0; round < 20 && !window_.WasFirstShown(); ++round) Runtime::ProcessEvents();
    ASSERT_TRUE(window_.WasFirstShown()) << "the main window was never painted";
  }

  // Whether a message box shown since the records were last cleared told that the engine rolled
  // the user's transaction back.
  bool TransactionLossTold() {
    for (const std::string& text : MessageTexts()) {
      if (text.find("数据库引擎因此回滚了当前事务") != std::string::npos) return true;
    }
    return false;
  }

  // Handles events until the summary line of a browse has the count of rows, which the engine
  // takes on another thread; fails the test when it never comes.
  void WaitForCount() {
    const std::string pending = "正在统计记录数";
    for (int round = 0; round < 2000 && window_.info_box().Content().rfind(pending, 0) == 0;
         ++round) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      Runtime::ProcessEvents();
    }
    ASSERT_NE(window_.info_box().Content().rfind(pending, 0), 0u) << "the count never came";
  }

  // Handles events until the field panel's picture, read and decoded on another thread, has
  // arrived; fails the test when it never does.
  void WaitForPanelRead() {
    for (int round = 0; round < 2000 && state_.PendingPanelRead; ++round) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      Runtime::ProcessEvents();
    }
    ASSERT_FALSE(state_.PendingPanelRead) << "the picture never came";
  }

  // Handles events for a while, giving a picture read on another thread every chance to arrive.
  void HandleEventsAWhile() {
    for (int round = 0; round < 40; ++round) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      Runtime::ProcessEvents();
    }
  }

  // Handles events until a console query's rows stopped arriving; fails the test when they never
  // do.
  void WaitForQueryRows() {
    for (int round = 0; round < 100000 && state_.QueryRows; ++round) Runtime::ProcessEvents();
    ASSERT_FALSE(state_.QueryRows) << "the rows kept arriving";
  }

  // A database file in the temporary folder made from `sql`; its name carries the folder's own
  // unique name, so backups of it never collide with another test's.
  std::string MakeDb(const std::string& sql, const std::string& stem = "测试库") {
    const std::string unique = dir_.path().substr(dir_.path().rfind('/') + 1);
    const std::string path = dir_.Path(stem + "_" + unique + ".sdb");
    MakeDatabase(path, sql);
    return path;
  }

  // Paths of the backup copies named in the log, once the open's backup has ended.
  std::vector<std::string> backups_made() {
    WaitForBackup();
    return BackupsLogged();
  }

  // Paths of the backup copies named in the log so far.
  std::vector<std::string> BackupsLogged() {
    std::vector<std::string> paths;
    const std::string marker = "已将数据库文件备份到：";
    const std::string log = window_.log_box().Content();
    for (std::size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at)) {
      at += marker.size();
      std::size_t end = log.find("\r\n", at);
      paths.push_back(log.substr(at, end == std::string::npos ? std::string::npos : end - at));
    }
    return paths;
  }

  // Whether the log has the line `line`.
  bool LogHas(const std::string& line) {
    const std::vector<std::string> lines = SplitLines(window_.log_box().Content());
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  // The log's last line.
  std::string LastLogLine() {
    const std::string log = window_.log_box().Content();
    const std::size_t at = log.rfind("\r\n");
    return at == std::string::npos ? log : log.substr(at + 2);
  }

  // Selects the tree item whose text is `text`; fails the test when there is none.
  void SelectTreeItem(const std::string& text) {
    TreeView& tree = window_.tree();
    for (int i = 0; i < tree.ItemCount(); ++i) {
      if (tree.ItemText(i) == text) {
        tree.SetSelectedIndex(i);
        return;
      }
    }
    ADD_FAILURE() << "no tree item " << text;
  }

  // The texts of the message boxes shown so far, in order.
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const auto& call : services_.message_boxes()) texts.push_back(call.text);
    return texts;
  }

  // Types `text` into grid cell (row, column) as an in-place edit would: the editing events around
  // the new text.
  void EditCell(int row, int column, const std::string& text) {
    Grid& grid = window_.grid();
    grid.SetCurrentCell(row, column);
    grid.on_editing_begins();
    grid.SetCellText(row, column, text);
    grid.on_editing_ends();
  }

  // The texts of every tree item, in index order.
  std::vector<std::string> TreeTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < window_.tree().ItemCount(); ++i)
      texts.push_back(window_.tree().ItemText(i));
    return texts;
  }

  TempDir dir_;
  ScopedEnv config_;
  ScopedEnv data_;
  AppState state_;
  ScriptedModalServices services_;
  MainWindow window_;
  App app_{state_, window_, services_};
};

}  // namespace torvane::testing
