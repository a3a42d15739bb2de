// Writes the demonstration database that the run command opens: a few tables with Chinese names and
// text, a view, a picture in a BLOB field and a table of a few thousand rows. Usage:
//   make_demo_database OUTPUT.sdb
// An existing file of that name is replaced.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <sqlite3.h>

namespace {

// A small 24-bit BMP: a sky-to-sea gradient with a sun, `width` x `height` pixels.
std::vector<std::uint8_t> DemoPicture(int width, int height) {
  const int row = (width * 3 + 3) / 4 * 4;
  const std::uint32_t data = static_cast<std::uint32_t>(row * height);
  std::vector<std::uint8_t> bmp;
  auto put = [&bmp](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  bmp.push_back('B');
  bmp.push_back('M');
  put(54 + data, 4);
  put(0, 4);
  put(54, 4);
  put(40, 4);
  put(static_cast<std::uint32_t>(width), 4);
  put(static_cast<std::uint32_t>(height), 4);
  put(1, 2);
  put(24, 2);
  put(0, 4);
  put(data, 4);
  put(2835, 4);
  put(2835, 4);
  put(0, 4);
  put(0, 4);
  for (int y = height - 1; y >= 0; --y) {  // bottom-up rows
    for (int x = 0; x < width; ++x) {
      const int dx = x - width * 3 / 4, dy = y - height / 4;
      std::uint8_t r, g, b;
      if (dx * dx + dy * dy < (height / 6) * (height / 6)) {
        r = 255, g = 210, b = 40;  // sun
      } else if (y < height * 3 / 5) {
        r = static_cast<std::uint8_t>(90 + y * 2), g = static_cast<std::uint8_t>(160 + y), b = 240;
      } else {
        r = 20, g = static_cast<std::uint8_t>(90 + (x % 7) * 4), b = 160;
      }
      bmp.push_back(b);
      bmp.push_back(g);
      bmp.push_back(r);
    }
    for (int pad = width * 3; pad < row; ++pad) bmp.push_back(0);
  }
  return bmp;
}

bool Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
  std::fprintf(stderr, "make_demo_database: %s\n", error != nullptr ? error : "?");
  sqlite3_free(error);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo_database OUTPUT.sdb\n");
    return 2;
  }
  std::remove(argv[1]);
  sqlite3* db = nullptr;
  if (sqlite3_open(argv[1], &db) != SQLITE_OK) {
    std::fprintf(stderr, "make_demo_database: cannot create %s\n", argv[1]);
    sqlite3_close(db);
    return 1;
  }
  bool ok =
      Exec(db, "BEGIN") &&
      Exec(db,
           "CREATE TABLE 商品 (编号 INTEGER PRIMARY KEY, 名称 TEXT(20), 价格 NUMERIC, "
           "图片 BLOB, 备注)") &&
      Exec(db,
           "INSERT INTO 商品(名称, 价格, 备注) VALUES "
           "('苹果', 5.5, '山东烟台红富士'), ('香蕉', 3.2, NULL), ('西瓜', 12, '夏季供应'), "
           "('牛奶', 4.8, '每箱十二盒'), ('面包', 6, ''), ('大米', 45.9, '五公斤装'), "
           "('鸡蛋', 13.5, '散装'), ('茶叶', 128, '西湖龙井'), ('酱油', 9.9, NULL), "
           "('食用油', 69, '五升桶装'), ('矿泉水', 1.5, '550毫升'), ('巧克力', 25, '礼盒')") &&
      Exec(db,
           "CREATE TABLE 客户 (编号 INTEGER PRIMARY KEY, 姓名 TEXT(10), 城市 TEXT, 电话 TEXT)") &&
      Exec(db,
           "INSERT INTO 客户(姓名, 城市, 电话) VALUES "
           "('张伟', '北京', '010-5550101'), ('王芳', '上海', '021-5550102'), "
           "('李娜', '广州', '020-5550103'), ('刘洋', '深圳', '0755-5550104'), "
           "('陈静', '杭州', '0571-5550105'), ('杨磊', '成都', '028-5550106'), "
           "('赵敏', '武汉', '027-5550107'), ('黄强', '南京', '025-5550108'), "
           "('周杰', '西安', '029-5550109'), ('吴琳', '重庆', '023-5550110')") &&
      Exec(db,
           "CREATE TABLE 销售记录 (编号 INTEGER PRIMARY KEY, 商品编号 INTEGER, "
           "客户编号 INTEGER, 数量 INTEGER, 日期 TEXT)") &&
      // 3000 rows of deterministic pseudo-random sales.
      Exec(db,
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
           "INSERT INTO 销售记录(商品编号, 客户编号, 数量, 日期) "
           "SELECT (i * 7) % 12 + 1, (i * 13) % 10 + 1, (i * 31) % 20 + 1, "
           "date('2024-01-01', '+' || (i % 366) || ' days') FROM n") &&
      Exec(db,
           "CREATE VIEW 销售汇总 AS SELECT 商品.名称 AS 商品, SUM(销售记录.数量) AS 总数量, "
           "COUNT(*) AS 笔数 FROM 销售记录, 商品 WHERE 销售记录.商品编号 = 商品.编号 "
           "GROUP BY 商品.名称");
  if (ok) {
    const std::vector<std::uint8_t> picture = DemoPicture(48, 32);
    sqlite3_stmt* statement = nullptr;
    ok = sqlite3_prepare_v2(db, "UPDATE 商品 SET 图片 = ? WHERE 名称 = '西瓜'", -1, &statement,
                            nullptr) == SQLITE_OK &&
         sqlite3_bind_blob(statement, 1, picture.data(), static_cast<int>(picture.size()),
                           SQLITE_TRANSIENT) == SQLITE_OK &&
         sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_finalize(statement);
  }
  ok = ok && Exec(db, "COMMIT");
  sqlite3_close(db);
  if (!ok) std::remove(argv[1]);
  return ok ? 0 : 1;
}
