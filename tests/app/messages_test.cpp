#include "app/messages.h"

#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace torvane {
namespace {

using testing::AppTest;

TEST_F(AppTest, ReportErrorAppendsTheEngineText) {
  Start({MakeDb("CREATE TABLE t(a);")});
  EXPECT_FALSE(state_.Connection.Execute("SELEC nonsense"));
  ReportError(app_, "失败！");
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text,
            "失败！错误信息如下：\r\n\r\nnear \"SELEC\": syntax error");
  EXPECT_EQ(services_.message_boxes()[0].caption, "错误：");
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  EXPECT_EQ(LastLogLine(), "[×]失败！（near \"SELEC\": syntax error）");
}

}  // namespace
}  // namespace torvane
