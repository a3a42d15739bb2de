#include "db/table_definition.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "db/connection.h"
#include "db/sql_name.h"
#include "db/sql_tokens.h"
#include "support/temp_dir.h"

namespace torvane {
namespace {

using testing::TempDir;
using Texts = std::vector<std::string>;

// A column as "name|declared type", then "|type base" when it differs from the declared type,
// "|length" when there is one, and " pk", " ai", " gen" for the flags.
std::string Describe(const TableColumn& column) {
  std::string shown = column.name + "|" + column.declared_type;
  if (column.type_base != column.declared_type) shown += "|" + column.type_base;
  if (!column.type_length.empty()) shown += "|" + column.type_length;
  if (column.primary_key) shown += " pk";
  if (column.autoincrement) shown += " ai";
  if (column.generated) shown += " gen";
  return shown;
}

Texts Columns(const TableDefinition& definition) {
  Texts shown;
  for (const TableColumn& column : definition.columns) shown.push_back(Describe(column));
  return shown;
}

// Each table constraint as its text, " -> ", and the columns it names joined by ",".
Texts Constraints(std::string_view sql, const TableDefinition& definition) {
  Texts shown;
  for (const TableConstraint& constraint : definition.constraints) {
    std::string names;
    for (const std::string& name : constraint.columns) names += (names.empty() ? "" : ",") + name;
    shown.push_back(std::string(sql.substr(constraint.begin, constraint.end - constraint.begin)) +
                    " -> " + names);
  }
  return shown;
}

std::string Span(std::string_view sql, std::size_t begin, std::size_t end) {
  return std::string(sql.substr(begin, end - begin));
}

// The text from `at` on without its leading blanks and comments.
std::string_view AfterBlanks(std::string_view sql, std::size_t at) {
  for (const SqlToken& token : TokenizeSql(sql.substr(at))) {
    if (token.kind != SqlTokenKind::kSpace && token.kind != SqlTokenKind::kComment) {
      return sql.substr(at + token.begin);
    }
  }
  return "";
}

std::string Describe(const EngineColumn& c) {
  return c.name + "|" + c.type + "|" + std::to_string(c.not_null) + "|" +
         (c.has_default ? c.default_value : "<none>") + "|" + std::to_string(c.pk) + "|" +
         std::to_string(c.hidden);
}

Texts Describe(const std::vector<EngineColumn>& columns) {
  Texts shown;
  for (const EngineColumn& column : columns) shown.push_back(Describe(column));
  return shown;
}

std::string FirstValue(ZuveviRE& db, const std::string& sql) {
  SqliteDataset rows = db.Query(sql);
  if (!rows.Requery()) return "<error>";
  return rows.GetAll(false).at(0, 0);
}

struct DefinitionCase {
  const char* origin;  // where the definition was found
  std::string sql;
  Texts columns;
  Texts constraints;
  const char* options;  // the table options after the closing parenthesis, trimmed
};

// Definitions found in published sample databases and in the databases of applications, most of
// them shortened to a few columns, and a few that gather what those leave out.
const DefinitionCase kRealDefinitions[] = {
    {"Chinook sample database, Album",
     "CREATE TABLE [Album]\n"
     "(\n"
     "    [AlbumId] INTEGER  NOT NULL,\n"
     "    [Title] NVARCHAR(160)  NOT NULL,\n"
     "    [ArtistId] INTEGER  NOT NULL,\n"
     "    CONSTRAINT [PK_Album] PRIMARY KEY  ([AlbumId]),\n"
     "    FOREIGN KEY ([ArtistId]) REFERENCES [Artist] ([ArtistId]) \n"
     "\t\tON DELETE NO ACTION ON UPDATE NO ACTION\n"
     ")",
     {"AlbumId|INTEGER", "Title|NVARCHAR(160)|NVARCHAR|160", "ArtistId|INTEGER"},
     {"CONSTRAINT [PK_Album] PRIMARY KEY  ([AlbumId]) -> AlbumId",
      "FOREIGN KEY ([ArtistId]) REFERENCES [Artist] ([ArtistId]) \n"
      "\t\tON DELETE NO ACTION ON UPDATE NO ACTION -> ArtistId"},
     ""},
    {"Chinook sample database, Track",
     "CREATE TABLE [Track]\n"
     "(\n"
     "    [TrackId] INTEGER  NOT NULL,\n"
     "    [Name] NVARCHAR(200)  NOT NULL,\n"
     "    [AlbumId] INTEGER,\n"
     "    [MediaTypeId] INTEGER  NOT NULL,\n"
     "    [GenreId] INTEGER,\n"
     "    [Composer] NVARCHAR(220),\n"
     "    [Milliseconds] INTEGER  NOT NULL,\n"
     "    [Bytes] INTEGER,\n"
     "    [UnitPrice] NUMERIC(10,2)  NOT NULL,\n"
     "    CONSTRAINT [PK_Track] PRIMARY KEY  ([TrackId]),\n"
     "    FOREIGN KEY ([AlbumId]) REFERENCES [Album] ([AlbumId]) \n"
     "\t\tON DELETE NO ACTION ON UPDATE NO ACTION,\n"
     "    FOREIGN KEY ([GenreId]) REFERENCES [Genre] ([GenreId]) \n"
     "\t\tON DELETE NO ACTION ON UPDATE NO ACTION,\n"
     "    FOREIGN KEY ([MediaTypeId]) REFERENCES [MediaType] ([MediaTypeId]) \n"
     "\t\tON DELETE NO ACTION ON UPDATE NO ACTION\n"
     ")",
     {"TrackId|INTEGER", "Name|NVARCHAR(200)|NVARCHAR|200", "AlbumId|INTEGER",
      "MediaTypeId|INTEGER", "GenreId|INTEGER", "Composer|NVARCHAR(220)|NVARCHAR|220",
      "Milliseconds|INTEGER", "Bytes|INTEGER", "UnitPrice|NUMERIC(10,2)|NUMERIC|10"},
     {"CONSTRAINT [PK_Track] PRIMARY KEY  ([TrackId]) -> TrackId",
      "FOREIGN KEY ([AlbumId]) REFERENCES [Album] ([AlbumId]) \n"
      "\t\tON DELETE NO ACTION ON UPDATE NO ACTION -> AlbumId",
      "FOREIGN KEY ([GenreId]) REFERENCES [Genre] ([GenreId]) \n"
      "\t\tON DELETE NO ACTION ON UPDATE NO ACTION -> GenreId",
      "FOREIGN KEY ([MediaTypeId]) REFERENCES [MediaType] ([MediaTypeId]) \n"
      "\t\tON DELETE NO ACTION ON UPDATE NO ACTION -> MediaTypeId"},
     ""},
    {"Chinook sample database, PlaylistTrack",
     "CREATE TABLE [PlaylistTrack]\n"
     "(\n"
     "    [PlaylistId] INTEGER  NOT NULL,\n"
     "    [TrackId] INTEGER  NOT NULL,\n"
     "    CONSTRAINT [PK_PlaylistTrack] PRIMARY KEY  ([PlaylistId], [TrackId])\n"
     ")",
     {"PlaylistId|INTEGER", "TrackId|INTEGER"},
     {"CONSTRAINT [PK_PlaylistTrack] PRIMARY KEY  ([PlaylistId], [TrackId]) -> PlaylistId,TrackId"},
     ""},
    {"Northwind sample database, Order Details",
     "CREATE TABLE [Order Details](\n"
     "   [OrderID]INTEGER NOT NULL,\n"
     "   [ProductID]INTEGER NOT NULL,\n"
     "   [UnitPrice]NUMERIC NOT NULL DEFAULT 0,\n"
     "   [Quantity]INTEGER NOT NULL DEFAULT 1,\n"
     "   [Discount]REAL NOT NULL DEFAULT 0,\n"
     "    PRIMARY KEY (\"OrderID\",\"ProductID\"),\n"
     "    CHECK ([Discount]>=(0) AND [Discount]<=(1)),\n"
     "    CHECK ([Quantity]>(0)),\n"
     "    CHECK ([UnitPrice]>=(0)),\n"
     "\tFOREIGN KEY ([OrderID]) REFERENCES [Orders] ([OrderID]) \n"
     "\t\tON DELETE NO ACTION ON UPDATE NO ACTION\n"
     ")",
     {"OrderID|INTEGER", "ProductID|INTEGER", "UnitPrice|NUMERIC", "Quantity|INTEGER",
      "Discount|REAL"},
     {"PRIMARY KEY (\"OrderID\",\"ProductID\") -> OrderID,ProductID",
      "CHECK ([Discount]>=(0) AND [Discount]<=(1)) -> Discount",
      "CHECK ([Quantity]>(0)) -> Quantity", "CHECK ([UnitPrice]>=(0)) -> UnitPrice",
      "FOREIGN KEY ([OrderID]) REFERENCES [Orders] ([OrderID]) \n"
      "\t\tON DELETE NO ACTION ON UPDATE NO ACTION -> OrderID"},
     ""},
    {"Northwind sample database, Employees (reports to another employee)",
     "CREATE TABLE [Employees](\n"
     "   [EmployeeID]INTEGER PRIMARY KEY AUTOINCREMENT,\n"
     "   [LastName]TEXT,\n"
     "   [BirthDate]DATE,\n"
     "   [Photo]BLOB,\n"
     "   [ReportsTo]INTEGER,\n"
     "   FOREIGN KEY ([ReportsTo]) REFERENCES [Employees] ([EmployeeID]) \n"
     "\t\tON DELETE NO ACTION ON UPDATE NO ACTION\n"
     ")",
     {"EmployeeID|INTEGER pk ai", "LastName|TEXT", "BirthDate|DATE", "Photo|BLOB",
      "ReportsTo|INTEGER"},
     {"FOREIGN KEY ([ReportsTo]) REFERENCES [Employees] ([EmployeeID]) \n"
      "\t\tON DELETE NO ACTION ON UPDATE NO ACTION -> ReportsTo,EmployeeID"},
     ""},
    {"an e-book library's metadata database, books",
     "CREATE TABLE books ( id      INTEGER PRIMARY KEY AUTOINCREMENT,\n"
     "    title     TEXT NOT NULL DEFAULT 'Unknown' COLLATE NOCASE,\n"
     "    sort      TEXT COLLATE NOCASE,\n"
     "    timestamp TIMESTAMP DEFAULT CURRENT_TIMESTAMP,\n"
     "    series_index REAL NOT NULL DEFAULT 1.0,\n"
     "    isbn TEXT DEFAULT \"\" COLLATE NOCASE,\n"
     "    path TEXT NOT NULL DEFAULT \"\",\n"
     "    has_cover BOOL DEFAULT 0,\n"
     "    last_modified TIMESTAMP NOT NULL DEFAULT \"2000-01-01 00:00:00+00:00\")",
     {"id|INTEGER pk ai", "title|TEXT", "sort|TEXT", "timestamp|TIMESTAMP", "series_index|REAL",
      "isbn|TEXT", "path|TEXT", "has_cover|BOOL", "last_modified|TIMESTAMP"},
     {},
     ""},
    {"an e-book library's metadata database, authors",
     "CREATE TABLE authors ( id   INTEGER PRIMARY KEY,\n"
     "                              name TEXT NOT NULL COLLATE NOCASE,\n"
     "                              sort TEXT COLLATE NOCASE,\n"
     "                              link TEXT NOT NULL DEFAULT \"\",\n"
     "                              UNIQUE(name)\n"
     "                             )",
     {"id|INTEGER pk", "name|TEXT", "sort|TEXT", "link|TEXT"},
     {"UNIQUE(name) -> name"},
     ""},
    {"an e-book library's metadata database, books_authors_link",
     "CREATE TABLE books_authors_link ( id INTEGER PRIMARY KEY,\n"
     "                                          book INTEGER NOT NULL,\n"
     "                                          author INTEGER NOT NULL,\n"
     "                                          UNIQUE(book, author)\n"
     "                                        )",
     {"id|INTEGER pk", "book|INTEGER", "author|INTEGER"},
     {"UNIQUE(book, author) -> book,author"},
     ""},
    {"an e-book library's upgrade step, a temporary table of untyped columns",
     "CREATE TEMPORARY TABLE\n"
     "        books_backup(id,title,sort,timestamp,series_index,author_sort,isbn,path)",
     {"id|", "title|", "sort|", "timestamp|", "series_index|", "author_sort|", "isbn|", "path|"},
     {},
     ""},
    {"a version-control repository, blob (a comment after every line)",
     "CREATE TABLE blob(\n"
     "  rid INTEGER PRIMARY KEY,        -- Record ID\n"
     "  rcvid INTEGER,                  -- Origin of this record\n"
     "  size INTEGER,                   -- Size of content. -1 for a phantom.\n"
     "  uuid TEXT UNIQUE NOT NULL,      -- SHA1 hash of the content\n"
     "  content BLOB,                   -- Compressed content of this record\n"
     "  CHECK( length(uuid)>=40 AND rid>0 )\n"
     ")",
     {"rid|INTEGER pk", "rcvid|INTEGER", "size|INTEGER", "uuid|TEXT", "content|BLOB"},
     {"CHECK( length(uuid)>=40 AND rid>0 ) -> uuid,rid"},
     ""},
    {"a version-control repository, delta (a reference without columns)",
     "CREATE TABLE delta(\n"
     "  rid INTEGER PRIMARY KEY,                 -- BLOB that is delta-compressed\n"
     "  srcid INTEGER NOT NULL REFERENCES blob   -- Baseline for delta-compression\n"
     ")",
     {"rid|INTEGER pk", "srcid|INTEGER"},
     {},
     ""},
    {"a version-control repository, config",
     "CREATE TABLE config(\n"
     "  name TEXT PRIMARY KEY NOT NULL,\n"
     "  value CLOB,\n"
     "  mtime DATE,\n"
     "  CHECK( typeof(name)='text' AND length(name)>=1 )\n"
     ") WITHOUT ROWID",
     {"name|TEXT pk", "value|CLOB", "mtime|DATE"},
     {"CHECK( typeof(name)='text' AND length(name)>=1 ) -> name"},
     "WITHOUT ROWID"},
    {"a version-control repository, cherrypick",
     "CREATE TABLE cherrypick(\n"
     "  parentid INT,\n"
     "  childid INT,\n"
     "  isExclude BOOLEAN DEFAULT false,\n"
     "  PRIMARY KEY(parentid, childid)\n"
     ") WITHOUT ROWID",
     {"parentid|INT", "childid|INT", "isExclude|BOOLEAN"},
     {"PRIMARY KEY(parentid, childid) -> parentid,childid"},
     "WITHOUT ROWID"},
    {"a web framework's admin log",
     "CREATE TABLE \"django_admin_log\" (\"id\" integer NOT NULL PRIMARY KEY AUTOINCREMENT, "
     "\"object_id\" text NULL, \"object_repr\" varchar(200) NOT NULL, \"action_flag\" smallint "
     "unsigned NOT NULL CHECK (\"action_flag\" >= 0), \"change_message\" text NOT NULL, "
     "\"content_type_id\" integer NULL REFERENCES \"django_content_type\" (\"id\") DEFERRABLE "
     "INITIALLY DEFERRED, \"user_id\" bigint NOT NULL REFERENCES \"auth_user\" (\"id\") "
     "DEFERRABLE INITIALLY DEFERRED, \"action_time\" datetime NOT NULL)",
     {"id|INTEGER|integer pk ai", "object_id|TEXT|text", "object_repr|varchar(200)|varchar|200",
      "action_flag|smallint unsigned", "change_message|TEXT|text",
      "content_type_id|INTEGER|integer", "user_id|bigint", "action_time|datetime"},
     {},
     ""},
    {"a web framework's migrations",
     "CREATE TABLE \"django_migrations\" (\"id\" integer NOT NULL PRIMARY KEY AUTOINCREMENT, "
     "\"app\" varchar(255) NOT NULL, \"name\" varchar(255) NOT NULL, \"applied\" datetime NOT "
     "NULL)",
     {"id|INTEGER|integer pk ai", "app|varchar(255)|varchar|255", "name|varchar(255)|varchar|255",
      "applied|datetime"},
     {},
     ""},
    {"a school application's table as a table editor rewrote it (tabs, key after the columns)",
     "CREATE TABLE \"core_registroacademico\" (\n"
     "\t\"id\"\tinteger NOT NULL,\n"
     "\t\"fecha\"\tdate NOT NULL,\n"
     "\t\"observaciones\"\ttext,\n"
     "\t\"alumno_id\"\tbigint NOT NULL,\n"
     "\tPRIMARY KEY(\"id\" AUTOINCREMENT),\n"
     "\tFOREIGN KEY(\"alumno_id\") REFERENCES \"core_alumno\"(\"id\") DEFERRABLE INITIALLY "
     "DEFERRED\n"
     ")",
     {"id|INTEGER|integer", "fecha|date", "observaciones|TEXT|text", "alumno_id|bigint"},
     {"PRIMARY KEY(\"id\" AUTOINCREMENT) -> id",
      "FOREIGN KEY(\"alumno_id\") REFERENCES \"core_alumno\"(\"id\") DEFERRABLE INITIALLY "
      "DEFERRED -> alumno_id"},
     ""},
    {"a web browser's history, places",
     "CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
     "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
     "frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT)",
     {"id|INTEGER pk", "url|LONGVARCHAR", "title|LONGVARCHAR", "rev_host|LONGVARCHAR",
      "visit_count|INTEGER", "hidden|INTEGER", "frecency|INTEGER", "last_visit_date|INTEGER",
      "guid|TEXT"},
     {},
     ""},
    {"a web browser's cookies",
     "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
     "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, isSecure INTEGER, sameSite "
     "INTEGER DEFAULT 0, CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))",
     {"id|INTEGER pk", "originAttributes|TEXT", "name|TEXT", "value|TEXT", "host|TEXT", "path|TEXT",
      "expiry|INTEGER", "isSecure|INTEGER", "sameSite|INTEGER"},
     {"CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes) -> "
      "name,host,path,originAttributes"},
     ""},
    {"another web browser's history, urls",
     "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT,url LONGVARCHAR,title LONGVARCHAR,"
     "visit_count INTEGER DEFAULT 0 NOT NULL,typed_count INTEGER DEFAULT 0 NOT NULL,"
     "last_visit_time INTEGER NOT NULL,hidden INTEGER DEFAULT 0 NOT NULL)",
     {"id|INTEGER pk ai", "url|LONGVARCHAR", "title|LONGVARCHAR", "visit_count|INTEGER",
      "typed_count|INTEGER", "last_visit_time|INTEGER", "hidden|INTEGER"},
     {},
     ""},
    {"another web browser's history, meta (a column named key)",
     "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR)",
     {"key|LONGVARCHAR pk", "value|LONGVARCHAR"},
     {},
     ""},
    {"another web browser's saved logins",
     "CREATE TABLE logins (origin_url VARCHAR NOT NULL, action_url VARCHAR, username_element "
     "VARCHAR, username_value VARCHAR, password_element VARCHAR, password_value BLOB, "
     "signon_realm VARCHAR NOT NULL, date_created INTEGER NOT NULL, id INTEGER PRIMARY KEY "
     "AUTOINCREMENT, UNIQUE (origin_url, username_element, username_value, password_element, "
     "signon_realm))",
     {"origin_url|VARCHAR", "action_url|VARCHAR", "username_element|VARCHAR",
      "username_value|VARCHAR", "password_element|VARCHAR", "password_value|BLOB",
      "signon_realm|VARCHAR", "date_created|INTEGER", "id|INTEGER pk ai"},
     {"UNIQUE (origin_url, username_element, username_value, password_element, signon_realm) -> "
      "origin_url,username_element,username_value,password_element,signon_realm"},
     ""},
    {"a photo manager's library, folders (schema-qualified)",
     "CREATE TABLE main.folders (id INTEGER PRIMARY KEY, rootid INTEGER, folder VARCHAR NOT NULL,"
     "FOREIGN KEY(rootid) REFERENCES roots(id) ON DELETE CASCADE ON UPDATE CASCADE)",
     {"id|INTEGER pk", "rootid|INTEGER", "folder|VARCHAR"},
     {"FOREIGN KEY(rootid) REFERENCES roots(id) ON DELETE CASCADE ON UPDATE CASCADE -> rootid"},
     ""},
    {"a photo manager's library, tagged_images",
     "CREATE TABLE main.tagged_images (imgid INTEGER, tagid INTEGER, position INTEGER, "
     "PRIMARY KEY (imgid, tagid),"
     "FOREIGN KEY(imgid) REFERENCES images(id) ON UPDATE CASCADE ON DELETE CASCADE,"
     "FOREIGN KEY(tagid) REFERENCES tags(id) ON UPDATE CASCADE ON DELETE CASCADE)",
     {"imgid|INTEGER", "tagid|INTEGER", "position|INTEGER"},
     {"PRIMARY KEY (imgid, tagid) -> imgid,tagid",
      "FOREIGN KEY(imgid) REFERENCES images(id) ON UPDATE CASCADE ON DELETE CASCADE -> imgid",
      "FOREIGN KEY(tagid) REFERENCES tags(id) ON UPDATE CASCADE ON DELETE CASCADE -> tagid"},
     ""},
    {"a flash-card program's collection, col",
     "CREATE TABLE col (\n"
     "    id              integer primary key,\n"
     "    crt             integer not null,\n"
     "    mod             integer not null,\n"
     "    ver             integer not null,\n"
     "    conf            text not null,\n"
     "    tags            text not null\n"
     ")",
     {"id|INTEGER|integer pk", "crt|INTEGER|integer", "mod|INTEGER|integer", "ver|INTEGER|integer",
      "conf|TEXT|text", "tags|TEXT|text"},
     {},
     ""},
    {"a flash-card program's collection, notes (a comment after each comma)",
     "CREATE TABLE notes (\n"
     "    id              integer primary key,   /* 0 */\n"
     "    guid            text not null,         /* 1 */\n"
     "    mid             integer not null,      /* 2 */\n"
     "    flds            text not null,         /* 6 */\n"
     "    sfld            integer not null,      /* 7 */\n"
     "    data            text not null          /* 10 */\n"
     ")",
     {"id|INTEGER|integer pk", "guid|TEXT|text", "mid|INTEGER|integer", "flds|TEXT|text",
      "sfld|INTEGER|integer", "data|TEXT|text"},
     {},
     ""},
    {"a reference manager's items (a column named key)",
     "CREATE TABLE items (\n"
     "    itemID INTEGER PRIMARY KEY,\n"
     "    itemTypeID INT NOT NULL,\n"
     "    dateAdded TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,\n"
     "    libraryID INT NOT NULL,\n"
     "    key TEXT NOT NULL,\n"
     "    version INT NOT NULL DEFAULT 0,\n"
     "    UNIQUE (libraryID, key),\n"
     "    FOREIGN KEY (libraryID) REFERENCES libraries(libraryID) ON DELETE CASCADE\n"
     ")",
     {"itemID|INTEGER pk", "itemTypeID|INT", "dateAdded|TIMESTAMP", "libraryID|INT", "key|TEXT",
      "version|INT"},
     {"UNIQUE (libraryID, key) -> libraryID,key",
      "FOREIGN KEY (libraryID) REFERENCES libraries(libraryID) ON DELETE CASCADE -> libraryID"},
     ""},
    {"a bookkeeping program's accounts",
     "CREATE TABLE accounts(guid text(32) PRIMARY KEY NOT NULL, name text(2048) NOT NULL, "
     "account_type text(2048) NOT NULL, commodity_guid text(32), commodity_scu integer NOT NULL, "
     "parent_guid text(32), hidden integer, placeholder integer)",
     {"guid|text(32)|text|32 pk", "name|text(2048)|text|2048", "account_type|text(2048)|text|2048",
      "commodity_guid|text(32)|text|32", "commodity_scu|INTEGER|integer",
      "parent_guid|text(32)|text|32", "hidden|INTEGER|integer", "placeholder|INTEGER|integer"},
     {},
     ""},
    {"a home automation recorder's states (refers to itself)",
     "CREATE TABLE states (\n"
     "\tstate_id INTEGER NOT NULL, \n"
     "\tdomain VARCHAR(64), \n"
     "\tentity_id VARCHAR(255), \n"
     "\tevent_id INTEGER, \n"
     "\tlast_changed DATETIME, \n"
     "\told_state_id INTEGER, \n"
     "\tPRIMARY KEY (state_id), \n"
     "\tFOREIGN KEY(event_id) REFERENCES events (event_id) ON DELETE CASCADE, \n"
     "\tFOREIGN KEY(old_state_id) REFERENCES states (state_id)\n"
     ")",
     {"state_id|INTEGER", "domain|VARCHAR(64)|VARCHAR|64", "entity_id|VARCHAR(255)|VARCHAR|255",
      "event_id|INTEGER", "last_changed|DATETIME", "old_state_id|INTEGER"},
     {"PRIMARY KEY (state_id) -> state_id",
      "FOREIGN KEY(event_id) REFERENCES events (event_id) ON DELETE CASCADE -> event_id",
      "FOREIGN KEY(old_state_id) REFERENCES states (state_id) -> old_state_id,state_id"},
     ""},
    {"a phone's text messages",
     "CREATE TABLE sms (_id INTEGER PRIMARY KEY,thread_id INTEGER,address TEXT,person INTEGER,"
     "date INTEGER,date_sent INTEGER DEFAULT 0,read INTEGER DEFAULT 0,status INTEGER DEFAULT -1,"
     "type INTEGER,body TEXT,sub_id INTEGER DEFAULT -1, error_code INTEGER DEFAULT 0)",
     {"_id|INTEGER pk", "thread_id|INTEGER", "address|TEXT", "person|INTEGER", "date|INTEGER",
      "date_sent|INTEGER", "read|INTEGER", "status|INTEGER", "type|INTEGER", "body|TEXT",
      "sub_id|INTEGER", "error_code|INTEGER"},
     {},
     ""},
    {"another phone's messages (columns named ROWID and replace)",
     "CREATE TABLE message (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, "
     "text TEXT, replace INTEGER DEFAULT 0, handle_id INTEGER DEFAULT 0, attributedBody BLOB, "
     "error INTEGER DEFAULT 0, date INTEGER, is_from_me INTEGER DEFAULT 0)",
     {"ROWID|INTEGER pk ai", "guid|TEXT", "text|TEXT", "replace|INTEGER", "handle_id|INTEGER",
      "attributedBody|BLOB", "error|INTEGER", "date|INTEGER", "is_from_me|INTEGER"},
     {},
     ""},
    {"a code-hosting service's users (names between backquotes)",
     "CREATE TABLE `user` (`id` INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, `lower_name` TEXT NOT "
     "NULL, `name` TEXT NOT NULL, `full_name` TEXT NULL, `email` TEXT NOT NULL, `is_admin` "
     "INTEGER NULL, `created_unix` INTEGER NULL)",
     {"id|INTEGER pk ai", "lower_name|TEXT", "name|TEXT", "full_name|TEXT", "email|TEXT",
      "is_admin|INTEGER", "created_unix|INTEGER"},
     {},
     ""},
    {"a web framework's internal metadata",
     "CREATE TABLE \"ar_internal_metadata\" (\"key\" varchar NOT NULL PRIMARY KEY, \"value\" "
     "varchar, \"created_at\" datetime(6) NOT NULL, \"updated_at\" datetime(6) NOT NULL)",
     {"key|varchar pk", "value|varchar", "created_at|datetime(6)|datetime|6",
      "updated_at|datetime(6)|datetime|6"},
     {},
     ""},
    {"Sakila sample database, film",
     "CREATE TABLE film (\n"
     "  film_id int NOT NULL,\n"
     "  title VARCHAR(255) NOT NULL,\n"
     "  description BLOB SUB_TYPE TEXT DEFAULT NULL,\n"
     "  language_id SMALLINT NOT NULL,\n"
     "  rental_rate DECIMAL(4,2) DEFAULT 4.99 NOT NULL,\n"
     "  length SMALLINT DEFAULT NULL,\n"
     "  rating VARCHAR(10) DEFAULT 'G',\n"
     "  special_features VARCHAR(100) DEFAULT NULL,\n"
     "  last_update TIMESTAMP NOT NULL,\n"
     "  PRIMARY KEY  (film_id),\n"
     "  CONSTRAINT CHECK_special_features CHECK(special_features is null or\n"
     "                                           special_features like '%Trailers%' or\n"
     "                                           special_features like '%Commentaries%'),\n"
     "  CONSTRAINT CHECK_special_rating CHECK(rating in ('G','PG','PG-13','R','NC-17')),\n"
     "  CONSTRAINT fk_film_language FOREIGN KEY (language_id) REFERENCES language (language_id) \n"
     ")",
     {"film_id|INT|int", "title|VARCHAR(255)|VARCHAR|255", "description|BLOB SUB_TYPE TEXT",
      "language_id|SMALLINT", "rental_rate|DECIMAL(4,2)|DECIMAL|4", "length|SMALLINT",
      "rating|VARCHAR(10)|VARCHAR|10", "special_features|VARCHAR(100)|VARCHAR|100",
      "last_update|TIMESTAMP"},
     {"PRIMARY KEY  (film_id) -> film_id",
      "CONSTRAINT CHECK_special_features CHECK(special_features is null or\n"
      "                                           special_features like '%Trailers%' or\n"
      "                                           special_features like '%Commentaries%') -> "
      "special_features",
      "CONSTRAINT CHECK_special_rating CHECK(rating in ('G','PG','PG-13','R','NC-17')) -> rating",
      "CONSTRAINT fk_film_language FOREIGN KEY (language_id) REFERENCES language (language_id) -> "
      "language_id"},
     ""},
    {"Sakila sample database, payment",
     "CREATE TABLE payment (\n"
     "  payment_id int NOT NULL,\n"
     "  customer_id INT  NOT NULL,\n"
     "  rental_id INT DEFAULT NULL,\n"
     "  amount DECIMAL(5,2) NOT NULL,\n"
     "  PRIMARY KEY  (payment_id),\n"
     "  CONSTRAINT fk_payment_rental FOREIGN KEY (rental_id) REFERENCES rental (rental_id) ON "
     "DELETE SET NULL ON UPDATE CASCADE,\n"
     "  CONSTRAINT fk_payment_customer FOREIGN KEY (customer_id) REFERENCES customer (customer_id) "
     "\n"
     ")",
     {"payment_id|INT|int", "customer_id|INT", "rental_id|INT", "amount|DECIMAL(5,2)|DECIMAL|5"},
     {"PRIMARY KEY  (payment_id) -> payment_id",
      "CONSTRAINT fk_payment_rental FOREIGN KEY (rental_id) REFERENCES rental (rental_id) ON "
      "DELETE SET NULL ON UPDATE CASCADE -> rental_id",
      "CONSTRAINT fk_payment_customer FOREIGN KEY (customer_id) REFERENCES customer (customer_id) "
      "-> customer_id"},
     ""},
    {"a relay node's metadata (STRICT)",
     "CREATE TABLE IF NOT EXISTS relay_node_metadata (\n"
     "        singleton INTEGER PRIMARY KEY CHECK (singleton = 1),\n"
     "        stable_node_key TEXT NOT NULL\n"
     "      ) STRICT",
     {"singleton|INTEGER pk", "stable_node_key|TEXT"},
     {},
     "STRICT"},
    {"a relay node's accepted events (WITHOUT ROWID, STRICT)",
     "CREATE TABLE IF NOT EXISTS accepted_event_ids (\n"
     "        event_id TEXT PRIMARY KEY,\n"
     "        decision TEXT NOT NULL CHECK (decision IN ('stored', 'superseded'))\n"
     "      ) WITHOUT ROWID, STRICT",
     {"event_id|TEXT pk", "decision|TEXT"},
     {},
     "WITHOUT ROWID, STRICT"},
    {"a proof assistant's index, dependencies (a reference over two lines)",
     "CREATE TABLE IF NOT EXISTS direct_dependencies (\n"
     "    declaration_name TEXT NOT NULL REFERENCES declarations(declaration_name)\n"
     "        ON DELETE CASCADE,\n"
     "    dependency_name TEXT NOT NULL,\n"
     "    PRIMARY KEY (declaration_name, dependency_name)\n"
     ") WITHOUT ROWID, STRICT",
     {"declaration_name|TEXT", "dependency_name|TEXT"},
     {"PRIMARY KEY (declaration_name, dependency_name) -> declaration_name,dependency_name"},
     "WITHOUT ROWID, STRICT"},
    {"a home automation add-on's history",
     "CREATE TABLE IF NOT EXISTS history(ts INTEGER NOT NULL, ref INTEGER NOT NULL, value REAL "
     "NOT NULL, str TEXT, PRIMARY KEY(ts,ref)) WITHOUT ROWID, STRICT",
     {"ts|INTEGER", "ref|INTEGER", "value|REAL", "str|TEXT"},
     {"PRIMARY KEY(ts,ref) -> ts,ref"},
     "WITHOUT ROWID, STRICT"},
    {"a debugging proxy's requests (Chinese comments, stored generated columns)",
     "CREATE TABLE IF NOT EXISTS proxy_requests (\n"
     "        id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
     "        timestamp DATETIME NOT NULL,\n"
     "        -- 实体列：用于快速更新 streaming 进度\n"
     "        status TEXT NOT NULL DEFAULT 'pending',\n"
     "        -- JSON 数据\n"
     "        data TEXT NOT NULL,\n"
     "        -- 虚拟列：从 JSON 提取，用于索引加速查询\n"
     "        method TEXT GENERATED ALWAYS AS (JSON_EXTRACT(data, '$.request.method')) STORED,\n"
     "        status_code INTEGER GENERATED ALWAYS AS (\n"
     "          COALESCE(\n"
     "            JSON_EXTRACT(data, '$.hookedResponse.statusCode'),\n"
     "            JSON_EXTRACT(data, '$.response.statusCode')\n"
     "          )\n"
     "        ) STORED\n"
     "      )",
     {"id|INTEGER pk ai", "timestamp|DATETIME", "status|TEXT", "data|TEXT", "method|TEXT gen",
      "status_code|INTEGER gen"},
     {},
     ""},
    {"a pickup service's points (quoted names, virtual generated columns)",
     "CREATE TABLE IF NOT EXISTS \"pickup_point\" (\n"
     "  \"id\" INTEGER NOT NULL PRIMARY KEY,\n"
     "  \"name\" TEXT NOT NULL UNIQUE,\n"
     "  \"site\" TEXT,\n"
     "  \"siteLat\" REAL GENERATED ALWAYS AS (json_extract(\"site\", '$.lat')) VIRTUAL,\n"
     "  \"siteLng\" REAL GENERATED ALWAYS AS (json_extract(\"site\", '$.lng')) VIRTUAL,\n"
     "  CHECK (\"site\" IS NULL OR (json_type(\"site\") = 'object' AND json_extract(\"site\", "
     "'$.lat') BETWEEN -90 AND 90))\n"
     ") STRICT",
     {"id|INTEGER pk", "name|TEXT", "site|TEXT", "siteLat|REAL gen", "siteLng|REAL gen"},
     {"CHECK (\"site\" IS NULL OR (json_type(\"site\") = 'object' AND json_extract(\"site\", "
      "'$.lat') BETWEEN -90 AND 90)) -> site"},
     "STRICT"},
    {"an image generator's workflow library (defaults with commas, a comma in a comment)",
     "CREATE TABLE IF NOT EXISTS workflow_library (\n"
     "    workflow_id TEXT NOT NULL PRIMARY KEY,\n"
     "    workflow TEXT NOT NULL,\n"
     "    created_at DATETIME NOT NULL DEFAULT(STRFTIME('%Y-%m-%d %H:%M:%f', 'NOW')),\n"
     "    -- updated via trigger\n"
     "    updated_at DATETIME NOT NULL DEFAULT(STRFTIME('%Y-%m-%d %H:%M:%f', 'NOW')),\n"
     "    -- Generated columns, needed for indexing and searching\n"
     "    category TEXT GENERATED ALWAYS as (json_extract(workflow, '$.meta.category')) VIRTUAL "
     "NOT NULL,\n"
     "    name TEXT GENERATED ALWAYS as (json_extract(workflow, '$.name')) VIRTUAL NOT NULL\n"
     ")",
     {"workflow_id|TEXT pk", "workflow|TEXT", "created_at|DATETIME", "updated_at|DATETIME",
      "category|TEXT gen", "name|TEXT gen"},
     {},
     ""},
    {"an agent runner's session events",
     "CREATE TABLE IF NOT EXISTS session_events (\n"
     "        id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
     "        session_id TEXT NOT NULL REFERENCES sessions(id) ON DELETE CASCADE,\n"
     "        seq INTEGER NOT NULL,\n"
     "        payload TEXT NOT NULL CHECK (json_valid(payload)),\n"
     "        request_id TEXT GENERATED ALWAYS AS (json_extract(payload, '$.requestId')) VIRTUAL,\n"
     "        created_at TEXT NOT NULL DEFAULT (datetime('now')),\n"
     "        UNIQUE(session_id, seq)\n"
     "      )",
     {"id|INTEGER pk ai", "session_id|TEXT", "seq|INTEGER", "payload|TEXT", "request_id|TEXT gen",
      "created_at|TEXT"},
     {"UNIQUE(session_id, seq) -> session_id,seq"},
     ""},
    {"the engine's documentation, generated columns",
     "CREATE TABLE t1(\n"
     "   a INTEGER PRIMARY KEY,\n"
     "   b INT,\n"
     "   c TEXT,\n"
     "   d INT GENERATED ALWAYS AS (a*abs(b)) VIRTUAL,\n"
     "   e TEXT GENERATED ALWAYS AS (substr(c,b,b+1)) STORED\n"
     ")",
     {"a|INTEGER pk", "b|INT", "c|TEXT", "d|INT gen", "e|TEXT gen"},
     {},
     ""},
    {"the engine's documentation, generated columns without GENERATED ALWAYS",
     "CREATE TABLE t2(a INTEGER PRIMARY KEY, b INT, c TEXT, d INT AS (a*abs(b)), e TEXT AS "
     "(substr(c,b,b+1)) STORED, f AS (b + 1))",
     {"a|INTEGER pk", "b|INT", "c|TEXT", "d|INT gen", "e|TEXT gen", "f| gen"},
     {},
     ""},
    {"the engine's documentation, the type names of its affinity examples",
     "CREATE TABLE affinity_examples (a INT, b TINYINT, c BIGINT, d UNSIGNED BIG INT, e INT8, "
     "f CHARACTER(20), g VARYING CHARACTER(255), h NCHAR(55), i NATIVE CHARACTER(70), "
     "j NVARCHAR(100), k CLOB, l DOUBLE PRECISION, m FLOAT, n DECIMAL(10,5), o BOOLEAN, "
     "p DATETIME)",
     {"a|INT", "b|TINYINT", "c|BIGINT", "d|UNSIGNED BIG INT", "e|INT8",
      "f|CHARACTER(20)|CHARACTER|20", "g|VARYING CHARACTER(255)|VARYING CHARACTER|255",
      "h|NCHAR(55)|NCHAR|55", "i|NATIVE CHARACTER(70)|NATIVE CHARACTER|70",
      "j|NVARCHAR(100)|NVARCHAR|100", "k|CLOB", "l|DOUBLE PRECISION", "m|FLOAT",
      "n|DECIMAL(10,5)|DECIMAL|10", "o|BOOLEAN", "p|DATETIME"},
     {},
     ""},
    {"a spreadsheet imported with the engine's command-line tool (names with blanks, commas, "
     "parentheses, quotes; a keyword)",
     "CREATE TABLE \"2023 sales\"(\n"
     "\"Region\" TEXT, \"Amount (USD)\" TEXT, \"Date, local\" TEXT, \"Customer's \"\"nick\"\"\" "
     "TEXT, \"order\" TEXT)",
     {"Region|TEXT", "Amount (USD)|TEXT", "Date, local|TEXT", "Customer's \"nick\"|TEXT",
      "order|TEXT"},
     {},
     ""},
    {"a database course's textbook, students",
     "CREATE TABLE 学生\n"
     "(学号 CHAR(9) PRIMARY KEY,\n"
     " 姓名 CHAR(20) UNIQUE,\n"
     " 性别 CHAR(2) CHECK (性别 IN ('男','女')),\n"
     " 年龄 SMALLINT,\n"
     " 所在系 CHAR(20)\n"
     ")",
     {"学号|CHAR(9)|CHAR|9 pk", "姓名|CHAR(20)|CHAR|20", "性别|CHAR(2)|CHAR|2", "年龄|SMALLINT",
      "所在系|CHAR(20)|CHAR|20"},
     {},
     ""},
    {"a database course's textbook, courses (refers to itself)",
     "CREATE TABLE 课程\n"
     "(课程号 CHAR(4) PRIMARY KEY,\n"
     " 课程名 CHAR(40) NOT NULL,\n"
     " 先修课 CHAR(4),\n"
     " 学分 SMALLINT,\n"
     " FOREIGN KEY (先修课) REFERENCES 课程(课程号)\n"
     ")",
     {"课程号|CHAR(4)|CHAR|4 pk", "课程名|CHAR(40)|CHAR|40", "先修课|CHAR(4)|CHAR|4",
      "学分|SMALLINT"},
     {"FOREIGN KEY (先修课) REFERENCES 课程(课程号) -> 先修课,课程号"},
     ""},
    {"a database course's textbook, enrolments",
     "CREATE TABLE 选课\n"
     "(学号 CHAR(9),\n"
     " 课程号 CHAR(4),\n"
     " 成绩 SMALLINT CHECK (成绩 >= 0 AND 成绩 <= 100),\n"
     " PRIMARY KEY (学号, 课程号),\n"
     " FOREIGN KEY (学号) REFERENCES 学生(学号),\n"
     " FOREIGN KEY (课程号) REFERENCES 课程(课程号)\n"
     ")",
     {"学号|CHAR(9)|CHAR|9", "课程号|CHAR(4)|CHAR|4", "成绩|SMALLINT"},
     {"PRIMARY KEY (学号, 课程号) -> 学号,课程号",
      "FOREIGN KEY (学号) REFERENCES 学生(学号) -> 学号",
      "FOREIGN KEY (课程号) REFERENCES 课程(课程号) -> 课程号"},
     ""},
    {"this program's own designer",
     "CREATE TABLE 库存 (编号 INTEGER PRIMARY KEY, 名称 TEXT(20), 价格 NUMERIC, 照片 BLOB, 数量 "
     "INTEGER)",
     {"编号|INTEGER pk", "名称|TEXT(20)|TEXT|20", "价格|NUMERIC", "照片|BLOB", "数量|INTEGER"},
     {},
     ""},
    {"order lines of a GBK application, names quoted every way the engine knows",
     "CREATE TABLE IF NOT EXISTS \"订单 明细\" (\n"
     "  [订单号] INTEGER NOT NULL,\n"
     "  \"商品(编号)\" TEXT NOT NULL COLLATE NOCASE,\n"
     "  `数量` INTEGER DEFAULT 1 CHECK (`数量` > 0),\n"
     "  '单价' NUMERIC(10, 2) DEFAULT 0.0,\n"
     "  CONSTRAINT \"主键\" PRIMARY KEY ([订单号], \"商品(编号)\"),\n"
     "  CONSTRAINT [外键] FOREIGN KEY (\"商品(编号)\") REFERENCES \"商品\"('编号') ON DELETE "
     "RESTRICT MATCH SIMPLE DEFERRABLE INITIALLY IMMEDIATE\n"
     ")",
     {"订单号|INTEGER", "商品(编号)|TEXT", "数量|INTEGER", "单价|NUMERIC(10, 2)|NUMERIC|10"},
     {"CONSTRAINT \"主键\" PRIMARY KEY ([订单号], \"商品(编号)\") -> 订单号,商品(编号)",
      "CONSTRAINT [外键] FOREIGN KEY (\"商品(编号)\") REFERENCES \"商品\"('编号') ON DELETE "
      "RESTRICT MATCH SIMPLE DEFERRABLE INITIALLY IMMEDIATE -> 商品(编号)"},
     ""},
    {"keywords as names, quoted and bare",
     "CREATE TABLE \"select\" (\"from\" TEXT, [where] INT, `group` BLOB, 'order' REAL, key, "
     "replace TEXT, \"table\" DEFAULT 'x', \"a\"\"b\" CHECK (\"a\"\"b\" <> ''), left, indexed)",
     {"from|TEXT", "where|INT", "group|BLOB", "order|REAL", "key|", "replace|TEXT", "table|",
      "a\"b|", "left|", "indexed|"},
     {},
     ""},
    {"comments and line breaks everywhere, TEMP, a schema name, IF NOT EXISTS",
     "CREATE /* head */ TEMP TABLE IF NOT EXISTS temp . \"t x\" -- name\n"
     "( -- body\n"
     "  a /* name */ INTEGER /* type */ ( /* len */ 8 ) -- after\n"
     "  /* before the comma */ , b -- no type\n"
     "  , c DEFAULT ( 1 + 2 ) /* c */ NOT NULL -- default\n"
     ")",
     {"a|INTEGER /* type */ ( /* len */ 8 )|INTEGER|8", "b|", "c|"},
     {},
     ""},
};

// The bits of the definitions the reader must agree on with the engine, for every definition.
TEST(ReadTableDefinition, ReadsRealDefinitionsAsTheEngineDoes) {
  TempDir dir;
  int n = 0;
  for (const auto& c : kRealDefinitions) {
    SCOPED_TRACE(c.origin);
    const TableDefinition definition = ReadTableDefinition(c.sql);
    ASSERT_TRUE(definition.ok);
    EXPECT_EQ(Columns(definition), c.columns);
    EXPECT_EQ(Constraints(c.sql, definition), c.constraints);
    EXPECT_EQ(AfterBlanks(c.sql, definition.options_begin), c.options);
    EXPECT_EQ(definition.without_rowid, std::string(c.options).find("WITHOUT") == 0);
    EXPECT_EQ(definition.strict, std::string(c.options).find("STRICT") != std::string::npos);

    // The spans: the name token stands for the name, a column or constraint runs from its first
    // to its last token and a "," or ")" follows it (a constraint may be followed by another).
    const std::string_view sql = c.sql;
    EXPECT_EQ(c.sql[definition.body_begin - 1], '(');
    EXPECT_EQ(c.sql[definition.body_end], ')');
    EXPECT_EQ(definition.options_begin, definition.body_end + 1);
    for (const TableColumn& column : definition.columns) {
      const std::vector<SqlToken> name = TokenizeSql(Span(sql, column.name_begin, column.name_end));
      ASSERT_EQ(name.size(), 1u) << column.name;
      EXPECT_EQ(SqlNameOfToken(Span(sql, column.name_begin, column.name_end), name[0]),
                column.name);
      EXPECT_EQ(column.begin, column.name_begin);
      EXPECT_LE(column.name_end, column.type_begin);
      EXPECT_LE(column.type_begin, column.type_end);
      EXPECT_LE(column.type_end, column.end);
      EXPECT_EQ(
          TokenizeSql(Span(sql, column.begin, column.end)).back().kind == SqlTokenKind::kSpace,
          false);
      const std::string_view next = AfterBlanks(sql, column.end).substr(0, 1);
      EXPECT_TRUE(next == "," || next == ")") << column.name;
    }
    for (const TableConstraint& constraint : definition.constraints) {
      const std::string_view next = AfterBlanks(sql, constraint.end).substr(0, 1);
      EXPECT_TRUE(next == "," || next == ")") << Span(sql, constraint.begin, constraint.end);
    }

    // The engine's own reading: the definition run, read back from the catalog, and the columns
    // the engine reports for it.
    ZuveviRE db;
    ASSERT_TRUE(db.Open(dir.Path("case" + std::to_string(++n) + ".db"), true));
    ASSERT_TRUE(db.Execute(c.sql)) << db.GetErrorText();
    const std::string name_text = Span(sql, definition.name_begin, definition.name_end);
    const std::string table = SqlNameOfToken(name_text, TokenizeSql(name_text).at(0));
    const std::string stored = db.GetTableSql(table);
    ASSERT_NE(stored, "") << table;
    const TableDefinition read_back = ReadTableDefinition(stored);
    EXPECT_EQ(Columns(read_back), Columns(definition));
    const std::vector<EngineColumn> engine = ReadEngineColumns(db, table);
    ASSERT_FALSE(engine.empty());
    EXPECT_EQ(ColumnDifference(read_back, engine), "");
    EXPECT_EQ(ColumnDifference(definition, engine), "");

    // Each type's text alone gives the engine the same declared type.
    for (const TableColumn& column : definition.columns) {
      const std::string probe =
          "CREATE TABLE probe (x " + Span(sql, column.type_begin, column.type_end) + ")";
      ASSERT_TRUE(db.Execute(probe)) << probe;
      EXPECT_EQ(ReadEngineColumns(db, "probe").at(0).type, column.declared_type) << probe;
      ASSERT_TRUE(db.Execute("DROP TABLE probe"));
    }

    // The column and constraint texts put together again make a table the engine reads the same:
    // the same columns, defaults, keys and hidden columns, indexes and foreign keys.
    std::string copy = "CREATE TABLE copy (";
    std::string separator;
    for (const TableColumn& column : definition.columns) {
      copy += separator + Span(sql, column.begin, column.end);
      separator = ",\n";
    }
    for (const TableConstraint& constraint : definition.constraints) {
      copy += separator + Span(sql, constraint.begin, constraint.end);
    }
    copy += ")" + std::string(sql.substr(definition.options_begin));
    ASSERT_TRUE(db.Execute(copy)) << copy << "\n" << db.GetErrorText();
    EXPECT_EQ(Describe(ReadEngineColumns(db, "copy")), Describe(engine));
    const std::string quoted = "'" + EscapeSqlText(table) + "'";
    for (const char* pragma : {"pragma_index_list", "pragma_foreign_key_list"}) {
      EXPECT_EQ(FirstValue(db, std::string("SELECT count(*) FROM ") + pragma + "('copy')"),
                FirstValue(db, std::string("SELECT count(*) FROM ") + pragma + "(" + quoted + ")"))
          << pragma;
    }
  }
}

// Reads `sql` and checks it against the engine's own reading of it on `db`: "" when they agree.
std::string CheckWithEngine(ZuveviRE& db, const std::string& sql, const std::string& table) {
  if (!db.Execute(sql)) return "the engine refused: " + db.GetErrorText();
  const std::string difference =
      ColumnDifference(ReadTableDefinition(db.GetTableSql(table)), ReadEngineColumns(db, table));
  if (!db.Execute("DROP TABLE " + QuoteSqlName(table))) return "cannot drop " + table;
  return difference;
}

TEST(ReadTableDefinition, FollowsTheEnginesOddRules) {
  static const struct {
    const char* what;
    std::string sql;
    Texts columns;
    Texts constraints;
  } cases[] = {
      {"types: quoted, spaced, signed, the standard names in capitals",
       "CREATE TABLE q(a \"VARCHAR\"(10), b [a b] c, c 'Real', d \"integer\", e \"x\"\"y\", "
       "f INT(+5), g DEC(-3, +4), h VARCHAR  (50), i TEXT  )",
       {"a|VARCHAR|10", "b|a b] |a b c", "c|REAL|Real", "d|INTEGER|integer", "e|x\"y",
        "f|INT(+5)|INT|+5", "g|DEC(-3, +4)|DEC|-3", "h|VARCHAR  (50)|VARCHAR|50", "i|TEXT"},
       {}},
      {"GENERATED ALWAYS read as words of the type, then cut off its text",
       "CREATE TABLE g(a INT /*x*/ GENERATED ALWAYS AS (1), b INT GENERATED AS (2), "
       "c GENERATED ALWAYS AS (3), d generated always, e ABCDEFGHIJALWAYS, "
       "f INT GENERATED /*c*/ ALWAYS AS (4), g \"GENERATED\" ALWAYS AS (5), "
       "h INT KEY GENERATED ALWAYS AS (6) VIRTUAL, i integer generated always as (7))",
       {"a|INT /*x*/|INT gen", "b|INT GENERATED gen", "c| gen", "d|",
        "e|ABCDEFGHIJ|ABCDEFGHIJALWAYS", "f|INT GENERATED /*c*/|INT gen",
        "g|GENERATED|GENERATED ALWAYS gen", "h|INT KEY gen", "i|INTEGER|integer gen"},
       {}},
      {"keywords that stand for names inside a type, and those that end it",
       "CREATE TABLE k(a KEY ASC DESC, b CURRENT_TIMESTAMP, c WINDOW OVER FILTER, "
       "d LIKE GLOB REGEXP MATCH, e TEXT DEFERRABLE INITIALLY DEFERRED, "
       "f INT REFERENCES p ON DELETE SET NULL, g TEXT COLLATE NOCASE CONSTRAINT c UNIQUE, "
       "h REAL NULL, i BLOB DEFAULT x'00' CHECK (i IS NOT NULL))",
       {"a|KEY ASC DESC", "b|CURRENT_TIMESTAMP", "c|WINDOW OVER FILTER", "d|LIKE GLOB REGEXP MATCH",
        "e|TEXT", "f|INT", "g|TEXT", "h|REAL", "i|BLOB"},
       {}},
      {"table constraints one after another without commas; a CONSTRAINT name alone",
       "CREATE TABLE c(a, b, PRIMARY KEY(a) UNIQUE(b) CHECK(a<>b) CONSTRAINT x "
       "CONSTRAINT y UNIQUE(a, b) CONSTRAINT z)",
       {"a|", "b|"},
       {"PRIMARY KEY(a) -> a", "UNIQUE(b) -> b", "CHECK(a<>b) -> a,b", "CONSTRAINT x -> ",
        "CONSTRAINT y UNIQUE(a, b) -> a,b", "CONSTRAINT z -> "}},
      {"the columns an expression names, and the names in it that are none",
       "CREATE TABLE e(a, b, \"c d\", length, nocase, "
       "CHECK (e.a > 0 AND length(b) > length AND \"c d\" COLLATE nocase IS NOT NULL AND "
       "CAST(a AS nocase) > 0 AND 'nocase' <> b), "
       "FOREIGN KEY ('a', [B]) REFERENCES E(\"length\", nocase), "
       "PRIMARY KEY (b COLLATE nocase DESC, \"C D\" ASC))",
       {"a|", "b|", "c d|", "length|", "nocase|"},
       {"CHECK (e.a > 0 AND length(b) > length AND \"c d\" COLLATE nocase IS NOT NULL AND "
        "CAST(a AS nocase) > 0 AND 'nocase' <> b) -> a,b,length,c d",
        "FOREIGN KEY ('a', [B]) REFERENCES E(\"length\", nocase) -> a,B,length,nocase",
        "PRIMARY KEY (b COLLATE nocase DESC, \"C D\" ASC) -> b,C D"}},
      {"the AUTOINCREMENT of a table's key is no column's",
       "CREATE TABLE a(id INTEGER, n INTEGER PRIMARY KEY ON CONFLICT REPLACE AUTOINCREMENT, "
       "UNIQUE (id) ON CONFLICT IGNORE)",
       {"id|INTEGER", "n|INTEGER pk ai"},
       {"UNIQUE (id) ON CONFLICT IGNORE -> id"}},
  };
  TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("odd.db"), true));
  for (const auto& c : cases) {
    const TableDefinition definition = ReadTableDefinition(c.sql);
    ASSERT_TRUE(definition.ok) << c.what;
    EXPECT_EQ(Columns(definition), c.columns) << c.what;
    EXPECT_EQ(Constraints(c.sql, definition), c.constraints) << c.what;
    const std::string name_text = Span(c.sql, definition.name_begin, definition.name_end);
    EXPECT_EQ(CheckWithEngine(db, c.sql, name_text), "") << c.what;
  }
}

TEST(ReadTableDefinition, AgreesWithTheEngineOnEveryKeyword) {
  // Each of the engine's keywords as a column's name, as its type, and as a word of a type: where
  // the engine accepts the definition, the reader must read it as the engine does.
  TempDir dir;
  ZuveviRE db;
  ASSERT_TRUE(db.Open(dir.Path("keywords.db"), true));
  int accepted = 0;
  for (int i = 0; i < sqlite3_keyword_count(); ++i) {
    const char* name = nullptr;
    int size = 0;
    ASSERT_EQ(sqlite3_keyword_name(i, &name, &size), SQLITE_OK);
    const std::string keyword(name, size);
    for (const std::string& body :
         {keyword + " INT", "x " + keyword, "x INT " + keyword, "x " + keyword + "(5)",
          "x " + keyword + " NOT NULL", "x, " + keyword + " INT"}) {
      const std::string sql = "CREATE TABLE k (" + body + ")";
      if (!db.Execute(sql)) continue;
      ++accepted;
      ASSERT_TRUE(db.Execute("DROP TABLE k"));
      EXPECT_EQ(CheckWithEngine(db, sql, "k"), "") << sql;
    }
  }
  // Plenty of them are names to the engine somewhere.
  EXPECT_GT(accepted, 100);
}

TEST(ReadTableDefinition, RefusesWhatHasNoColumnList) {
  static const char* const cases[] = {
      "",
      "SELECT 1",
      "CREATE TABLE t AS SELECT 1 AS a",
      "CREATE VIRTUAL TABLE v USING fts5(a, b)",
      "CREATE VIEW v AS SELECT 1",
      "CREATE INDEX i ON t(a)",
      "CREATE TABLE t",
      "CREATE TABLE t ()",
      "CREATE TABLE t (a",
      "CREATE TABLE t (a VARCHAR(10)",
      "CREATE TABLE t (a,,b)",
      "CREATE TABLE t (a,)",
      "CREATE TABLE t (, a)",
      "CREATE TABLE t (PRIMARY KEY (a))",
      "CREATE TABLE t (UNIQUE (a), b)",
      "CREATE TABLE (a)",
      "CREATE TABLE main. (a)",
      "CREATE TEMP TEMP TABLE t (a)",
      "CREATE TABLE t (+ a)",
      "CREATE TABLE t (a INT(5)",
  };
  for (const char* sql : cases) {
    const TableDefinition definition = ReadTableDefinition(sql);
    EXPECT_FALSE(definition.ok) << sql;
    EXPECT_TRUE(definition.columns.empty()) << sql;
    EXPECT_TRUE(definition.constraints.empty()) << sql;
  }
}

TEST(ReadEngineColumns, ReportsTheColumnsOfTheMainTableBeforeATemporaryOne) {
  TempDir dir;
  ZuveviRE db;
  EXPECT_TRUE(ReadEngineColumns(db, "t").empty());  // not open
  ASSERT_TRUE(db.Open(dir.Path("engine.db"), true));
  ASSERT_TRUE(
      db.Execute("CREATE TABLE \"it's\" (id INTEGER PRIMARY KEY, 名称 TEXT NOT NULL DEFAULT '无', "
                 "n AS (id * 2), s INT AS (id + 1) STORED);"
                 "CREATE TEMP TABLE \"it's\" (other);"
                 "CREATE TEMP TABLE only_temp (x REAL, y, PRIMARY KEY (y, x))"));
  EXPECT_EQ(Describe(ReadEngineColumns(db, "it's")),
            (Texts{"id|INTEGER|0|<none>|1|0", "名称|TEXT|1|'无'|0|0", "n||0|<none>|0|2",
                   "s|INT|0|<none>|0|3"}));
  EXPECT_EQ(Describe(ReadEngineColumns(db, "only_temp")),
            (Texts{"x|REAL|0|<none>|2|0", "y||0|<none>|1|0"}));
  EXPECT_TRUE(ReadEngineColumns(db, "missing").empty());
  EXPECT_EQ(ReadEngineColumns(db, "IT'S").size(), 4u);  // names match as the engine matches them
}

TEST(ColumnDifference, NamesTheFirstDifference) {
  const std::vector<EngineColumn> engine = {{"a", "INT", false, "", false, 0, 0},
                                            {"b", "TEXT", false, "", false, 0, 2}};
  static const struct {
    const char* sql;
    const char* difference;
  } cases[] = {
      {"CREATE TABLE t (a int, b TEXT AS (1))", ""},
      {"CREATE TABLE t (a INT, b TEXT AS (1)", "the definition was not read"},
      {"CREATE TABLE t (A INT, b TEXT AS (1))", "column 1: read name A, engine a"},
      {"CREATE TABLE t (a INTEGER, b TEXT AS (1))",
       "column 1: read type \"INTEGER\", engine \"INT\""},
      {"CREATE TABLE t (a INT, b TEXT)", "column 2: engine generated, read not"},
      {"CREATE TABLE t (a INT AS (1), b TEXT AS (1))", "column 1: read generated, engine not"},
      {"CREATE TABLE t (a INT)", "column 2: read none, engine b"},
      {"CREATE TABLE t (a INT, b TEXT AS (1), c)", "column 3: read c, engine none"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColumnDifference(ReadTableDefinition(c.sql), engine), c.difference) << c.sql;
  }
}

}  // namespace
}  // namespace torvane
