#include "designer/table_designer.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/schema_tree.h"
#include "base/files.h"
#include "base/text.h"
#include "designer/field_list.h"
#include "support/app_fixture.h"
#include "support/fault_vfs.h"
#include "ui/designer_dialog.h"

namespace torvane {

// Rows print as text in failure messages.
void PrintTo(const DefinitionRow& row, std::ostream* out) {
  *out << "{" << row.name << ", " << row.type_name << ", " << row.length << "}";
}

namespace {

using testing::AppTest;
using testing::MakeDatabase;
using testing::QueryText;
using testing::RawDb;
using Rows = std::vector<DefinitionRow>;

TEST(KindFromDeclaredType, MapsDeclaredTypesToTypeNames) {
  static const struct {
    const char* declared;
    const char* kind;
  } cases[] = {
      {"", ""},
      {"none", ""},
      {"NONE", ""},  // not the exact "none", and in no list
      {"TEXT", "文本型"},
      {"VarChar", "文本型"},
      {"ext", "文本型"},  // a fragment of a list entry matches too
      {"INT", "整数型"},
      {"Integer", "整数型"},
      {"NUMERIC", "小数型"},
      {"double", "小数型"},
      {"BLOB", "字节集型"},
      {"INTEGER PRIMARY KEY", "主键（自增字段）"},
      {"REAL", ""},
      {"DATE", ""},
      {"VARCHAR2", ""},
      {"INTEGER NOT NULL", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(KindFromDeclaredType(c.declared), c.kind) << c.declared;
}

TEST(ParseTableDefinition, GivesOneRowPerColumn) {
  static const struct {
    const char* definition;
    Rows rows;
  } cases[] = {
      {"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT(20), price NUMERIC, photo BLOB, note)",
       {{"id", "主键（自增字段）", "0"},
        {"name", "文本型", "20"},
        {"price", "小数型", "0"},
        {"photo", "字节集型", "0"},
        {"note", "", "0"}}},
      // The type is read apart from the column's constraints.
      {"CREATE TABLE t (a VARCHAR(50), b TEXT (20), c REAL, d INTEGER NOT NULL)",
       {{"a", "文本型", "50"}, {"b", "文本型", "20"}, {"c", "", "0"}, {"d", "整数型", "0"}}},
      // A comma inside a type or a table constraint makes no row of its own.
      {"CREATE TABLE t (price NUMERIC(10,2))", {{"price", "小数型", "10"}}},
      {"CREATE TABLE t (a, b, PRIMARY KEY (a, b))", {{"a", "", "0"}, {"b", "", "0"}}},
      {"CREATE TABLE t\n(\n  编号 INTEGER,\n\t名称 TEXT(12)\n)",
       {{"编号", "整数型", "0"}, {"名称", "文本型", "12"}}},
      {"CREATE TABLE t (a TEXT(-3.9))", {{"a", "文本型", "-3"}}},
      {"CREATE TABLE \"django_migrations\" (\"id\" integer NOT NULL PRIMARY KEY AUTOINCREMENT, "
       "\"app\" varchar(255) NOT NULL, \"applied\" datetime NOT NULL)",
       {{"id", "主键（自增字段）", "0"}, {"app", "文本型", "255"}, {"applied", "", "0"}}},
      {"CREATE TABLE [Order Details](\n   [OrderID]INTEGER NOT NULL,\n"
       "   [UnitPrice]NUMERIC NOT NULL DEFAULT 0,\n    PRIMARY KEY (\"OrderID\",\"ProductID\"),\n"
       "    CHECK ([UnitPrice]>=(0)))",
       {{"OrderID", "整数型", "0"}, {"UnitPrice", "小数型", "0"}}},
      {"CREATE TABLE s (\"Amount (USD)\" TEXT, \"Date, local\" int8, blob_data \"BLOB\", "
       "total DOUBLE PRECISION, n INT GENERATED ALWAYS AS (1) STORED, k TEXT PRIMARY KEY) "
       "WITHOUT ROWID",
       {{"Amount (USD)", "文本型", "0"},
        {"Date, local", "", "0"},
        {"blob_data", "字节集型", "0"},
        {"total", "", "0"},
        {"n", "整数型", "0"},
        {"k", "文本型", "0"}}},
      {"CREATE TABLE t", {}},
      {"CREATE TABLE t ()", {}},
      {"CREATE TABLE t AS SELECT 1 AS a", {}},
      {"CREATE VIRTUAL TABLE t USING fts5(a, b)", {}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseTableDefinition(c.definition), c.rows) << c.definition;
}

TEST(EntryIndexOfRow, CountsOnlyEntriesNotDeleted) {
  std::vector<FieldEntry> fields(4);
  fields[0].Deleted = true;
  fields[2].Deleted = true;
  EXPECT_EQ(EntryIndexOfRow(fields, 0), 0);
  EXPECT_EQ(EntryIndexOfRow(fields, 1), 2);
  EXPECT_EQ(EntryIndexOfRow(fields, 2), 4);
  EXPECT_EQ(EntryIndexOfRow(fields, 3), 5);
}

FieldEntry Entry(const char* name, const char* type, const char* length = "0", bool deleted = false,
                 bool added = false) {
  FieldEntry entry;
  entry.FieldName = name;
  entry.TypeName = type;
  entry.LengthText = length;
  entry.Deleted = deleted;
  entry.Added = added;
  return entry;
}

TEST(ValidateFields, StopsAtTheFirstOffendingField) {
  static const struct {
    std::vector<FieldEntry> fields;
    bool ok;
    int row, column;
    const char* message;
  } cases[] = {
      {{Entry(" a ", "整数型", "12.9"), Entry("b", "（通用型）", "-0.5"), Entry("c", "", "x")},
       true,
       0,
       0,
       ""},
      {{Entry("a", "整数"), Entry("", "")},
       false,
       1,
       2,
       "字段 a 的类型设置错误！请从下拉列表中选取。"},
      {{Entry("x", "", "0", true), Entry("a", "文本型"), Entry("\xA1\xA1 ", "")},
       false,
       2,
       1,
       "字段名称不能为空！"},
      {{Entry("a", "文本型", "-1")}, false, 1, 3, "字段 a 的最大文本长度不能为负数！"},
      {{Entry("a", " 主键（自增字段） ")}, true, 0, 0, ""},
  };
  for (const auto& c : cases) {
    const FieldCheck check = ValidateFields(c.fields);
    EXPECT_EQ(check.ok, c.ok) << c.message;
    EXPECT_EQ(check.row, c.row) << c.message;
    EXPECT_EQ(check.column, c.column) << c.message;
    EXPECT_EQ(check.message, c.message);
  }
  const FieldCheck check = ValidateFields(cases[0].fields);
  ASSERT_EQ(check.fields.size(), 3u);
  EXPECT_EQ(check.fields[0].Name, "a");
  EXPECT_EQ(check.fields[0].Type, 3);
  EXPECT_EQ(check.fields[0].MaxLength, 12);
  EXPECT_EQ(check.fields[1].MaxLength, 0);
  EXPECT_EQ(check.fields[2].Type, 0);
}

TEST(RebuildStatements, PlansTheCopyThroughATemporaryTable) {
  // goods(id, name, price): name renamed to title, price deleted, qty added.
  const std::vector<FieldEntry> fields = {
      Entry("id", "主键（自增字段）"), Entry("title", "文本型", "20"),
      Entry("price", "小数型", "0", true), Entry("qty", "整数型", "0", false, true)};
  const ColumnPairs pairs = PairColumns(fields, {"id", "name", "price"});
  EXPECT_FALSE(pairs.surplus);
  const FieldCheck check = ValidateFields(fields);
  const std::string t = TemporaryTableName("goods", 4294967296u + 5);
  EXPECT_EQ(t, "__temp_goods_4294967301_temp");
  EXPECT_EQ(
      RebuildStatements("goods", t, check.fields, pairs),
      (std::vector<std::string>{
          "CREATE TABLE __temp_goods_4294967301_temp (id INTEGER PRIMARY KEY, title TEXT(20), "
          "qty INTEGER)",
          "insert into __temp_goods_4294967301_temp (id,title) select id,name from goods "
          "order by _ROWID_",
          "DROP TABLE goods",
          "CREATE TABLE goods (id INTEGER PRIMARY KEY, title TEXT(20), qty INTEGER)",
          "insert into goods select * from __temp_goods_4294967301_temp order by _ROWID_",
          "DROP TABLE __temp_goods_4294967301_temp",
      }));
  // Nothing survives: drop and create.
  const std::vector<FieldEntry> fresh = {Entry("id", "", "0", true),
                                         Entry("n", "", "0", false, true)};
  EXPECT_EQ(RebuildStatements("goods", t, ValidateFields(fresh).fields, PairColumns(fresh, {"id"})),
            (std::vector<std::string>{"DROP TABLE goods", "CREATE TABLE goods (n)"}));
  // Names from the catalog are quoted where they need it.
  EXPECT_EQ(RebuildStatements("my t", "__temp_my t_1_temp", {{"a", 0, 0}},
                              PairColumns({Entry("a", "")}, {"a b"}))[1],
            "insert into \"__temp_my t_1_temp\" (a) select \"a b\" from \"my t\" order by _ROWID_");
  // More loaded fields than columns: no pairing.
  EXPECT_TRUE(PairColumns({Entry("a", ""), Entry("b", "")}, {"a"}).surplus);
}

// The designer bound to the program and started as its first showing would start it, but not
// shown: the test plays the user.
class DesignerTest : public AppTest {
 protected:
  void Open(const std::string& sql) {
    path_ = MakeDb(sql);
    Start({path_});
  }
  void Design(const std::string& table, bool select = true) {
    designer_ = DesignerState();
    if (table.empty()) {
      designer_.DesignerMode = DesignMode::kNew;
    } else {
      if (select) SelectTreeItem(table);
      designer_.DesignerMode = DesignMode::kAlter;
      designer_.TargetTable = table;
    }
    dialog_ = std::make_unique<DesignerDialog>();
    ConnectDesignerDialog(app_, designer_, *dialog_);
    dialog_->on_created();
  }
  Grid& grid() { return dialog_->grid(); }
  // Types `text` into cell (row, column) as an in-place edit would.
  void Type(int row, int column, const std::string& text) {
    grid().SetCurrentCell(row, column);
    grid().SetCellText(row, column, text);
    grid().on_editing_ends();
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (int r = 1; r < grid().RowCount(); ++r) names.push_back(grid().CellText(r, 1));
    return names;
  }
  std::vector<std::string> Entries() {
    std::vector<std::string> entries;
    for (const FieldEntry& e : designer_.DesignerFields) {
      entries.push_back(e.FieldName + (e.Deleted ? "(D)" : "") + (e.Added ? "(A)" : ""));
    }
    return entries;
  }
  void Ok(std::optional<std::string> name = std::nullopt) {
    services_.ClearRecords();
    if (name) services_.QueueInputBoxAnswer(name);
    dialog_->ok_button().Click();
  }

  std::string path_;
  std::unique_ptr<DesignerDialog> dialog_;
  DesignerState designer_;
};

TEST_F(DesignerTest, AlterLoadsTheDefinitionIntoTheGrid) {
  Open(
      "CREATE TABLE 商品 (编号 INTEGER PRIMARY KEY, 名称 TEXT(20), 价格 NUMERIC, 图片 BLOB, "
      "备注);");
  SelectTreeItem("商品");
  state_.Cursor.GoTo(1);
  Design("商品");
  EXPECT_EQ(dialog_->window().Title(), "修改表 - 商品");
  ASSERT_EQ(grid().RowCount(), 6);
  EXPECT_EQ(grid().CellText(0, 2), "字段类型");
  EXPECT_EQ(grid().CellText(3, 0), "3");
  EXPECT_EQ(grid().CellText(2, 1), "名称");
  EXPECT_EQ(grid().CellText(2, 2), "文本型");
  EXPECT_EQ(grid().CellText(2, 3), "20");
  EXPECT_EQ(grid().GetColumnKind(2), ColumnKind::kDropDown);
  EXPECT_EQ(grid().DropDownItems(2).size(), 7u);
  EXPECT_EQ(grid().GetColumnKind(3), ColumnKind::kNumeric);
  EXPECT_EQ(grid().CurrentRow(), 1);
  EXPECT_EQ(grid().CurrentColumn(), 1);
  EXPECT_EQ(designer_.ExistingColumns,
            (std::vector<std::string>{"编号", "名称", "价格", "图片", "备注"}));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"编号", "名称", "价格", "图片", "备注"}));
  // The program's cursor still stands on the table the main window shows.
  EXPECT_TRUE(state_.Cursor.IsOpen());
  EXPECT_EQ(state_.Cursor.GetName(), "商品");
}

TEST_F(DesignerTest, AlterNeedsAnExistingTable) {
  Open("CREATE TABLE t(a); CREATE VIEW v AS SELECT 1;");
  SelectTreeItem("v");
  window_.menu_item("修改表...")->Choose();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"请先选中一个表，然后执行修改操作！"});
  services_.ClearRecords();
  MakeDatabase(path_, "DROP TABLE t");  // behind the program's back: the tree still lists it
  Design("t", false);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"不存在表：t！"});
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
}

TEST_F(DesignerTest, FieldListFollowsInsertsDeletesAndArrows) {
  Open("CREATE TABLE t(a, b, c);");
  Design("t");
  // Delete b (only Yes deletes), then insert before a and after the last row.
  grid().SetCurrentCell(2, 1);
  services_.QueueMessageBoxAnswer(kIdNo);
  dialog_->delete_button().Click();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
  services_.QueueMessageBoxAnswer(kIdYes);
  dialog_->delete_button().Click();
  EXPECT_EQ(MessageTexts().back(), "您确认要删除字段 b 吗？");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(grid().CellText(2, 0), "2");
  grid().SetCurrentCell(1, 1);
  dialog_->insert_before_button().Click();
  EXPECT_EQ(Names(), (std::vector<std::string>{"", "a", "c"}));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"(A)", "a", "b(D)", "c"}));
  // Editing the row after a deleted one updates the entry it shows.
  Type(3, 1, "c2");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"(A)", "a", "b(D)", "c2"}));
  Type(1, 1, "新");
  grid().SetCurrentCell(3, 1);
  dialog_->insert_after_button().Click();
  EXPECT_EQ(Entries(), (std::vector<std::string>{"新(A)", "a", "b(D)", "c2", "(A)"}));
  EXPECT_EQ(grid().RowCount(), 5);

  // Leaving the blank last row upward removes it; Down on a filled last row appends one.
  grid().on_key_pressed(kKeyUp);
  grid().SetCurrentCell(2, 1);
  EXPECT_EQ(grid().RowCount(), 4);
  EXPECT_EQ(grid().CurrentRow(), 2);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"新(A)", "a", "b(D)", "c2"}));
  grid().SetCurrentCell(3, 1);
  grid().on_key_pressed(kKeyDown);
  EXPECT_EQ(grid().RowCount(), 5);
  EXPECT_EQ(grid().CurrentRow(), 4);
  grid().on_key_pressed(kKeyDown);  // a blank last row appends nothing more
  EXPECT_EQ(grid().RowCount(), 5);
  Type(4, 1, "d");
  grid().on_key_pressed(kKeyUp);
  grid().SetCurrentCell(3, 1);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"新(A)", "a", "b(D)", "c2", "d(A)"}));
}

TEST_F(DesignerTest, CreatesANewTable) {
  Open("CREATE TABLE abc(a); CREATE VIEW 视图 AS SELECT 1;");
  Design("");
  EXPECT_EQ(dialog_->window().Title(), "创建表");
  ASSERT_EQ(grid().RowCount(), 2);
  Type(1, 1, "编号");
  Type(1, 2, "主键（自增字段）");
  grid().on_key_pressed(kKeyDown);
  Type(2, 1, "名称");
  Type(2, 2, "文本型");
  Type(2, 3, "20");
  grid().on_key_pressed(kKeyDown);
  Type(3, 1, "照片");
  Type(3, 2, "字节集型");
  static const struct {
    std::optional<std::string> name;
    std::vector<std::string> messages;
  } refusals[] = {
      {std::nullopt, {}},
      {"  ", {"表名称不能为空！"}},
      {"a_c", {"表“a_c”已经存在于数据库中！"}},
      {"视图", {"表“视图”已经存在于数据库中！"}},
      {"1表", {"创建表失败，错误信息如下：\r\n\r\nunrecognized token: \"1表\""}},
  };
  for (const auto& r : refusals) {
    Ok(r.name);
    EXPECT_EQ(MessageTexts(), r.messages);
  }
  Ok("新表");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"已成功创建表“新表”！"});
  EXPECT_EQ(QueryText(path_, "SELECT sql FROM sqlite_master WHERE name = '新表'"),
            "CREATE TABLE 新表 (编号 INTEGER PRIMARY KEY, 名称 TEXT(20), 照片 BLOB)");
  EXPECT_NE(std::find(state_.TableNames.begin(), state_.TableNames.end(), "新表"),
            state_.TableNames.end());
}

TEST_F(DesignerTest, ValidationPointsAtTheOffendingCell) {
  Open("CREATE TABLE t(a, b);");
  Design("t");
  Type(1, 2, "日期型");
  Type(2, 1, "");
  Ok();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"字段 a 的类型设置错误！请从下拉列表中选取。"});
  EXPECT_EQ(grid().CurrentRow(), 1);
  EXPECT_EQ(grid().CurrentColumn(), 2);
  for (int row : {1, 1}) {
    grid().SetCurrentCell(row, 1);
    services_.QueueMessageBoxAnswer(kIdYes);
    dialog_->delete_button().Click();
  }
  Ok();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"尚未添加任何字段！"});
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkExclamation);
}

TEST_F(DesignerTest, RebuildKeepsRowsIndexesTriggersAndOtherTables) {
  Open(
      "PRAGMA foreign_keys = ON;"
      "CREATE TABLE goods (id INTEGER PRIMARY KEY, name TEXT(20), price NUMERIC, note);"
      "INSERT INTO goods VALUES (3, '苹果', 5, 'x'), (1, '香蕉', 3, 'y'), (2, '西瓜', 12, 'z');"
      "CREATE INDEX goods_price ON goods(price); CREATE INDEX goods_note ON goods(note);"
      "CREATE TABLE log (what);"
      "CREATE TRIGGER goods_added AFTER INSERT ON goods BEGIN INSERT INTO log VALUES (new.id); END;"
      "CREATE TRIGGER goods_noted AFTER UPDATE ON goods BEGIN INSERT INTO log VALUES (new.note); "
      "END;"
      "CREATE TABLE sales (goods_id REFERENCES goods(id) ON DELETE CASCADE, n);"
      "INSERT INTO sales VALUES (1, 10), (3, 30);");
  // The program's own connection enforces foreign keys, as a user may have set it to.
  ASSERT_TRUE(state_.Connection.Execute("PRAGMA foreign_keys = ON"));
  Design("goods");
  // name -> title (kept), price retyped to 整数型, note deleted, qty added.
  Type(2, 1, "title");
  Type(3, 2, "整数型");
  grid().SetCurrentCell(4, 1);
  services_.QueueMessageBoxAnswer(kIdYes);
  dialog_->delete_button().Click();
  grid().SetCurrentCell(3, 1);
  dialog_->insert_after_button().Click();
  Type(4, 1, "qty");
  Type(4, 2, "整数型");
  Ok();
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{
                "修改表 goods 成功！",
                "以下内容用到了已删除的字段，未能随表保留：索引 goods_note（用到了已删除的字段 "
                "note）、触发器 goods_noted（用到了已删除的字段 note）"}));
  EXPECT_NE(window_.log_box().Content().find(
                "已修改表 goods；未能随表保留：索引 goods_note（用到了已删除的字段 note）、触发器 "
                "goods_noted（用到了已删除的字段 note）"),
            std::string::npos);
  EXPECT_EQ(QueryText(path_,
                      "SELECT group_concat(id || title || price || ifnull(qty, '-'), ' ') "
                      "FROM goods"),
            "1香蕉3- 2西瓜12- 3苹果5-");
  EXPECT_EQ(QueryText(path_,
                      "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master "
                      "WHERE tbl_name = 'goods' AND type != 'table' ORDER BY name)"),
            "goods_added,goods_price");
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM log"), "0");  // no trigger fired on the copy
  EXPECT_EQ(QueryText(path_, "SELECT group_concat(goods_id || ':' || n) FROM sales"), "1:10,3:30");
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM sqlite_master WHERE name LIKE '__temp%'"), "0");
  SqliteDataset enforcement = state_.Connection.Query("PRAGMA foreign_keys");
  ASSERT_TRUE(enforcement.Requery());
  EXPECT_EQ(enforcement.GetAll(false).at(0, 0), "1");
  EXPECT_EQ(window_.grid().CellText(0, 2), "title");  // the main window shows the new layout
}

TEST(NamesWord, FindsWholeNamesOnly) {
  static const struct {
    const char* sql;
    const char* name;
    bool found;
  } cases[] = {
      {"INSERT INTO log VALUES (new.note)", "note", true},
      {"INSERT INTO log VALUES (new.NOTE)", "note", true},
      {"INSERT INTO log VALUES (new.notes)", "note", false},
      {"INSERT INTO log VALUES (new.\"note\")", "note", true},
      {"VALUES(new.名称)", "名称", true},
      {"VALUES(new.品名称)", "名称", false},
      {"VALUES(new.名称二)", "名称", false},
      {"VALUES(new.中文)", "\xD0\xCE", false},  // across the two characters of 中文
  };
  for (const auto& c : cases) EXPECT_EQ(NamesWord(c.sql, c.name), c.found) << c.sql;
}

TEST_F(DesignerTest, AFailedRebuildLeavesTheFileAsItWas) {
  Open(
      "CREATE TABLE t (k, v); INSERT INTO t VALUES (1, 'a'), (1, 'b');"
      "CREATE INDEX tk ON t(k);");
  const Bytes before = ReadFile(path_);
  // Each statement of the plan made to fail in turn: everything is undone, the message is the
  // engine's for that statement.
  const std::vector<FieldEntry> fields = {Entry("k", ""), Entry("v", "")};
  const std::vector<std::string> plan = RebuildStatements(
      "t", "__temp_t_1_temp", ValidateFields(fields).fields, PairColumns(fields, {"k", "v"}));
  for (std::size_t i = 0; i < plan.size(); ++i) {
    std::vector<std::string> broken = plan;
    broken[i] = "SELEC " + IntToText(static_cast<int>(i));
    const RebuildResult result = RunRebuild(state_.Connection, "t", broken);
    EXPECT_FALSE(result.status.ok()) << i;
    EXPECT_EQ(result.status.message(), "near \"SELEC\": syntax error") << i;
    EXPECT_FALSE(state_.Connection.IsInTransaction());
    EXPECT_EQ(ReadFile(path_), before) << i;
  }
  // Through the designer: k made the primary key, which its duplicates refuse.
  Design("t");
  Type(1, 2, "主键（自增字段）");
  Ok();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_EQ(services_.message_boxes()[0].text.rfind("修改表失败！错误信息如下：\r\n\r\n", 0), 0u);
  EXPECT_NE(services_.message_boxes()[0].text.find("UNIQUE"), std::string::npos);
  EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(DesignerTest, ARebuildInsideTheUsersTransactionKeepsIt) {
  Open("CREATE TABLE t (a); INSERT INTO t VALUES ('旧'); CREATE TABLE u (b);");
  window_.menu_item("开始事务")->Choose();
  ASSERT_TRUE(state_.Connection.Execute("INSERT INTO u VALUES ('待提交')"));
  Design("t");
  Type(1, 2, "主键（自增字段）");  // '旧' is not an integer: the copy fails
  Ok();
  EXPECT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_TRUE(state_.Connection.IsInTransaction());
  Type(1, 2, "文本型");
  Ok();
  EXPECT_EQ(MessageTexts().front(), "修改表 t 成功！");
  EXPECT_TRUE(state_.Connection.IsInTransaction());
  window_.menu_item("提交事务")->Choose();
  EXPECT_EQ(QueryText(path_, "SELECT b FROM u"), "待提交");
  EXPECT_EQ(QueryText(path_, "SELECT sql FROM sqlite_master WHERE name = 't'"),
            "CREATE TABLE t (a TEXT)");
  // With enforcement on inside a transaction, the rebuild is refused.
  ASSERT_TRUE(state_.Connection.Execute("PRAGMA foreign_keys = ON"));
  window_.menu_item("开始事务")->Choose();
  Design("t");
  Ok();
  ASSERT_EQ(services_.message_boxes().size(), 1u);
  EXPECT_NE(services_.message_boxes()[0].text.find("外键约束"), std::string::npos);
}

// A rebuild that takes a while shows its progress; its cancel stops the engine and leaves the
// file byte for byte as it was, and says so. Inside the user's transaction the window has no
// cancel (stopping there would undo the user's transaction too), and the rebuild completes.
TEST_F(DesignerTest, ACancelledRebuildLeavesTheFileAsItWas) {
  Open(
      "PRAGMA foreign_keys = ON; CREATE TABLE t (a INTEGER, b TEXT); CREATE INDEX ta ON t(a);"
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
      " INSERT INTO t SELECT i, '行' || i FROM n; CREATE TABLE u (c);");
  state_.ProgressDelayMs = 0;
  const Bytes before = ReadFile(path_);
  Design("t");
  Type(2, 2, "文本型");
  services_.QueueProgressCancel(1);
  Ok();
  ASSERT_EQ(services_.progress_windows().size(), 1u);
  EXPECT_EQ(services_.progress_windows()[0].title, "修改表");
  EXPECT_TRUE(services_.progress_windows()[0].cancellable);
  EXPECT_TRUE(services_.progress_windows()[0].cancelled);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"已取消修改表 t，表未作任何修改。"}));
  EXPECT_EQ(LastLogLine().find("已取消修改表 t，表未作任何修改"), 0u) << LastLogLine();
  EXPECT_FALSE(state_.Connection.IsInTransaction());
  EXPECT_EQ(ReadFile(path_), before);
  EXPECT_EQ(QueryText(path_, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM sqlite_master WHERE name LIKE '%temp%'"), "0");

  // The same change, not cancelled, goes through; the window showed what ran.
  Ok();
  EXPECT_EQ(MessageTexts().front(), "修改表 t 成功！");
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM t"), "20000");

  window_.menu_item("开始事务")->Choose();
  ASSERT_TRUE(state_.Connection.Execute("PRAGMA foreign_keys = OFF; INSERT INTO u VALUES (1)"));
  Design("t");
  Type(2, 2, "小数型");
  services_.QueueProgressCancel(1);
  Ok();
  ASSERT_EQ(services_.progress_windows().size(), 1u);
  EXPECT_FALSE(services_.progress_windows()[0].cancellable);
  EXPECT_FALSE(services_.progress_windows()[0].cancelled);
  EXPECT_EQ(MessageTexts().front(), "修改表 t 成功！");
  EXPECT_TRUE(state_.Connection.IsInTransaction());
  window_.menu_item("提交事务")->Choose();
  EXPECT_EQ(QueryText(path_, "SELECT count(*) FROM u"), "1");
}

// Inside the user's transaction, a new table is part of it: whatever read or write of the file
// fails on the way (the look-up of the name, the creation), the table is never written on its own.
// A failure that ended the transaction says so. The transaction is larger than the page cache, so
// that it reads and writes the file as it goes.
TEST_F(DesignerTest, ANewTableInTheUsersTransactionIsNeverWrittenOnItsOwn) {
  testing::ScopedFaultVfs vfs;
  Start();
  static const testing::FileCall calls[] = {testing::FileCall::kRead, testing::FileCall::kWrite};
  // A catalog of several pages, which the look-up of the name reads.
  std::string schema = "CREATE TABLE t(a); INSERT INTO t VALUES('旧');";
  for (int i = 0; i < 8; ++i) {
    schema += "CREATE VIEW v" + IntToText(i) + " AS SELECT a AS \"" + std::string(500, 'x') +
              "\" FROM t;";
  }
  int file = 0;
  for (const testing::FileCall call : calls) {
    for (int nth = 1; nth < 100; ++nth) {
      SCOPED_TRACE((call == testing::FileCall::kRead ? "read " : "write ") + IntToText(nth));
      path_ = MakeDb(schema, "库" + IntToText(++file));
      const std::string before = RawDb(path_).Dump();
      OpenDatabase(app_, path_, false);
      ASSERT_TRUE(state_.Connection.Execute("PRAGMA cache_size = 1"));
      window_.menu_item("开始事务")->Choose();
      ASSERT_TRUE(state_.Connection.Execute("INSERT INTO t VALUES(zeroblob(100000))"));
      Design("");
      Type(1, 1, "编号");
      Type(1, 2, "整数型");
      services_.ClearRecords();
      services_.QueueInputBoxAnswer("新表");
      vfs.Fail(call, nth, SQLITE_IOERR, false);
      dialog_->ok_button().Click();
      const int failures = vfs.failures();
      vfs.Heal();
      const bool open = state_.Connection.IsInTransaction();
      EXPECT_EQ(state_.TransactionSeenOpen, open);
      // A transaction gone is told, whether the creation failed or a read after it.
      const std::vector<std::string> texts = MessageTexts();
      EXPECT_EQ(TransactionLossTold(), !open);
      if (!open && texts.front().rfind("创建表失败", 0) == 0) {
        EXPECT_EQ(texts.front(),
                  "创建表失败，错误信息如下：\r\n\r\ndisk I/O error\r\n\r\n"
                  "数据库引擎因此回滚了当前事务：事务中尚未提交的修改都已丢失，"
                  "表中显示的是数据库文件现在的内容。");
      }
      // Closing rolls the transaction back: the file is as it was.
      services_.QueueMessageBoxAnswer(kIdNo);
      EXPECT_TRUE(CloseDatabase(app_));
      EXPECT_EQ(RawDb(path_).Dump(), before);
      if (failures == 0) break;
    }
  }
}

TEST_F(DesignerTest, AlterLoadsTheColumnsOfRealDefinitions) {
  static const struct {
    const char* table;
    Rows rows;
  } cases[] = {
      {"Track",
       {{"TrackId", "整数型", "0"},
        {"Name", "", "200"},
        {"AlbumId", "整数型", "0"},
        {"Composer", "", "220"},
        {"UnitPrice", "小数型", "10"}}},
      {"Order Details",
       {{"OrderID", "整数型", "0"}, {"ProductID", "整数型", "0"}, {"Discount", "", "0"}}},
      {"django_admin_log",
       {{"id", "主键（自增字段）", "0"},
        {"object_repr", "文本型", "200"},
        {"action_flag", "", "0"},
        {"content_type_id", "整数型", "0"}}},
      {"proxy_requests",
       {{"id", "主键（自增字段）", "0"},
        {"status", "文本型", "0"},
        {"data", "文本型", "0"},
        {"method", "文本型", "0"}}},
  };
  Open(
      "CREATE TABLE [Track]\n(\n    [TrackId] INTEGER  NOT NULL,\n"
      "    [Name] NVARCHAR(200)  NOT NULL,\n    [AlbumId] INTEGER,\n    [Composer] NVARCHAR(220),\n"
      "    [UnitPrice] NUMERIC(10,2)  NOT NULL,\n"
      "    CONSTRAINT [PK_Track] PRIMARY KEY  ([TrackId]),\n"
      "    FOREIGN KEY ([AlbumId]) REFERENCES [Album] ([AlbumId]) \n"
      "\t\tON DELETE NO ACTION ON UPDATE NO ACTION\n);"
      "CREATE TABLE [Order Details](\n   [OrderID]INTEGER NOT NULL,\n"
      "   [ProductID]INTEGER NOT NULL,\n   [Discount]REAL NOT NULL DEFAULT 0,\n"
      "    PRIMARY KEY (\"OrderID\",\"ProductID\"),\n"
      "    CHECK ([Discount]>=(0) AND [Discount]<=(1)));"
      "CREATE TABLE \"django_admin_log\" (\"id\" integer NOT NULL PRIMARY KEY AUTOINCREMENT, "
      "\"object_repr\" varchar(200) NOT NULL, \"action_flag\" smallint unsigned NOT NULL CHECK "
      "(\"action_flag\" >= 0), \"content_type_id\" integer NULL REFERENCES "
      "\"django_content_type\" (\"id\") DEFERRABLE INITIALLY DEFERRED);"
      "CREATE TABLE IF NOT EXISTS proxy_requests (\n        id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
      "        -- 实体列：用于快速更新 streaming 进度\n"
      "        status TEXT NOT NULL DEFAULT 'pending',\n        data TEXT NOT NULL,\n"
      "        method TEXT GENERATED ALWAYS AS (JSON_EXTRACT(data, '$.request.method')) STORED\n"
      "      );");
  for (const auto& c : cases) {
    Design(c.table);
    Rows shown;
    for (int r = 1; r < grid().RowCount(); ++r) {
      shown.push_back({grid().CellText(r, 1), grid().CellText(r, 2), grid().CellText(r, 3)});
    }
    EXPECT_EQ(shown, c.rows) << c.table;
    std::vector<std::string> names;
    for (const DefinitionRow& row : c.rows) names.push_back(row.name);
    EXPECT_EQ(designer_.ExistingColumns, names) << c.table;
    EXPECT_EQ(Entries(), names) << c.table;
    EXPECT_FALSE(designer_.DefinitionUnread) << c.table;
  }
}

TEST_F(DesignerTest, AlterRebuildsATableWhoseTypesHoldCommas) {
  // The comma-split reading made three fields of these two columns and refused the table.
  Open(
      "CREATE TABLE 价格表 (编号 INTEGER PRIMARY KEY, 价格 NUMERIC(10, 2) NOT NULL DEFAULT 0, "
      "备注 TEXT); INSERT INTO 价格表 VALUES (1, 2.5, '甲'), (2, 3.75, '乙');");
  Design("价格表");
  EXPECT_EQ(Names(), (std::vector<std::string>{"编号", "价格", "备注"}));
  Type(3, 1, "说明");
  Ok();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"修改表 价格表 成功！"});
  EXPECT_EQ(
      QueryText(path_, "SELECT group_concat(编号 || ':' || 价格 || ':' || 说明, ' ') FROM 价格表"),
      "1:2.5:甲 2:3.75:乙");
}

TEST_F(DesignerTest, AlterRefusesATableWhoseDefinitionItCannotRead) {
  // A UTF-8 database (as another tool writes one) with a column of the character U+4E5A between
  // brackets: in internal text that character is 81 5D, and 5D is "]", which closes the name for
  // a reader of the bytes, while the engine reads the UTF-8 name whole.
  const std::string character_utf8 = "\xE4\xB9\x9A";
  const std::string table_utf8 = "\xE5\x95\x86\xE5\x93\x81";  // 商品
  Open("CREATE TABLE " + table_utf8 + " ([" + character_utf8 +
       "] TEXT(8), b INTEGER);"
       "INSERT INTO " +
       table_utf8 + " VALUES ('x', 1);");
  ASSERT_EQ(state_.Connection.GetTextMode(), TextMode::kUtf8);
  const Bytes before = ReadFile(path_);
  Design("商品");
  EXPECT_TRUE(designer_.DefinitionUnread);
  // The engine's columns, not a guess from the text.
  EXPECT_EQ(Names(), (std::vector<std::string>{"\x81\x5D", "b"}));
  EXPECT_EQ(grid().CellText(1, 2), "文本型");
  EXPECT_EQ(grid().CellText(1, 3), "8");
  Type(2, 1, "c");
  Ok();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"无法修改表 商品：未能从表定义中逐一读出表中实际的字段，"
                                     "无法确定数据的去向，表未作任何修改。"});
  EXPECT_EQ(services_.message_boxes()[0].flags, kMbOkStop);
  EXPECT_EQ(ReadFile(path_), before);
}

TEST_F(DesignerTest, AlterRefusesWhenTheCursorSeesOtherColumns) {
  // A temporary table of the program's own connection hides the stored table of the same name
  // from the cursor: the fields would be paired with another table's columns.
  Open("CREATE TABLE t (a, b, c); INSERT INTO t VALUES (1, 2, 3);");
  ASSERT_TRUE(state_.Connection.Execute("CREATE TEMP TABLE t (x)"));
  const Bytes before = ReadFile(path_);
  Design("t");
  EXPECT_TRUE(designer_.DefinitionUnread);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
  Ok();
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"无法修改表 t：未能从表定义中逐一读出表中实际的字段，"
                                     "无法确定数据的去向，表未作任何修改。"});
  EXPECT_EQ(ReadFile(path_), before);
  // The next opening, for a new table, starts with the state of its own.
  Design("");
  EXPECT_FALSE(designer_.DefinitionUnread);
}

}  // namespace
}  // namespace torvane
