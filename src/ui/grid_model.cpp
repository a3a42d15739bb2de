#include "ui/grid_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include "base/codec.h"
#include "base/text.h"
#include "ui/qt_support.h"

namespace torvane {
namespace {

// A grid that keeps no more than this many cells of a shown table copies them and lets the table
// go.
constexpr std::size_t kSmallSourceCells = 1024;

// A cell shows at most the start of its text, this many bytes of it: more never fits its width,
// and a text of megabytes would otherwise be converted and laid out whole at every repaint. The
// whole text is still what the cell holds, reads and edits.
constexpr std::size_t kShownBytes = 4096;

// The longest text a cell is edited in place; a longer one is edited in the field panel.
constexpr std::size_t kLongestEditedBytes = 64 * 1024;

// How many bytes of a BLOB its cell shows in hexadecimal.
constexpr std::size_t kShownHexBytes = 8;

// The table shown for a null source.
class NoCells : public CellTexts {
 public:
  int rows() const override { return 0; }
  int columns() const override { return 0; }
  std::string_view at(int, int, std::string&) const override { return {}; }
};

}  // namespace

QString BytesCellText(const BytesCell& cell) {
  QString size;
  constexpr double kKb = 1024.0;
  if (cell.size < 1024) {
    size = QString::number(cell.size) + QStringLiteral("字节");
  } else if (cell.size < 1024 * 1024) {
    size = QString::number(static_cast<double>(cell.size) / kKb, 'f', 1) + QStringLiteral("KB");
  } else if (cell.size < std::uint64_t{1024} * 1024 * 1024) {
    size = QString::number(static_cast<double>(cell.size) / (kKb * kKb), 'f', 1) +
           QStringLiteral("MB");
  } else {
    size = QString::number(static_cast<double>(cell.size) / (kKb * kKb * kKb), 'f', 1) +
           QStringLiteral("GB");
  }
  QString text = QStringLiteral("<二进制 ") + size + QLatin1Char('>');
  const std::size_t shown = std::min(cell.start.size(), kShownHexBytes);
  for (std::size_t i = 0; i < shown; ++i) {
    text += QLatin1Char(' ') + QString::number(static_cast<unsigned char>(cell.start[i]), 16)
                                   .toUpper()
                                   .rightJustified(2, QLatin1Char('0'));
  }
  if (cell.size > shown) text += QChar(0x2026);  // "…": there is more
  return text;
}

bool AcceptsNumber(const std::string& text) {
  // A number the user means: not 0 unless written "0" (which an empty cell also stands for). The
  // leading number has no "nan" or "inf", which the C library would read.
  return text.empty() || text == "0" || ToNumber(text) != 0.0;
}

std::string RowNumberText(int row, bool header) {
  if (header && row == 0) {
    static const std::string title = FromUtf8("序号");
    return title;
  }
  return DoubleToText(header ? row : row + 1.0);
}

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

GridModel::~GridModel() = default;

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  switch (role) {
    case Qt::DisplayRole: {
      if (auto bytes = Bytes(index.row(), index.column(), kShownHexBytes + 1)) {
        return BytesCellText(*bytes);
      }
      std::string scratch;
      const std::string_view text = TextView(index.row(), index.column(), scratch, kShownBytes + 1);
      if (text.size() <= kShownBytes) return ToQt(text);
      return ToQt(text.substr(0, kShownBytes)) + QChar(0x2026);  // "…": there is more
    }
    case Qt::EditRole: {
      std::string scratch;
      return ToQt(TextView(index.row(), index.column(), scratch));
    }
    case kNullRole:
      return IsNull(index.row(), index.column()) ? QVariant(true) : QVariant();
    case Qt::AccessibleTextRole:
      // A screen reader says a NULL cell's name; an empty text's name is empty.
      return IsNull(index.row(), index.column()) ? QVariant(QStringLiteral("空值")) : QVariant();
    default:
      return QVariant();
  }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || (role != Qt::EditRole && role != Qt::DisplayRole)) return false;
  const QString text = value.toString();
  if (Kind(index.column()) == ColumnKind::kNumeric && !AcceptsNumber(FromQt(text))) return false;
  // An editor opened on a NULL cell starts empty; left empty, the cell still shows NULL, as the
  // record still holds it (the program writes only a changed text).
  if (text.isEmpty() && IsNull(index.row(), index.column())) return true;
  SetText(index.row(), index.column(), FromQt(text));
  return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  constexpr Qt::ItemFlags kShown = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (IsFixed(index.row(), index.column())) return kShown;
  // Asked for every cell drawn: decided from what the cell holds without reading its text.
  if (Bytes(index.row(), index.column(), 0)) return kShown;
  if (StoredSize(index.row(), index.column()) > kLongestEditedBytes) return kShown;
  return kShown | Qt::ItemIsEditable;
}

bool GridModel::insertRows(int row, int count, const QModelIndex& parent) {
  if (parent.isValid() || row < 0 || row > rows_ || count < 1) return false;
  beginInsertRows(QModelIndex(), row, row + count - 1);
  if (source_ && row_map_.empty() && row < source_rows_) MapRows();
  if (!row_map_.empty()) row_map_.insert(row_map_.begin() + row, count, kNone);
  rows_ += count;
  ShiftTexts(Qt::Vertical, row, count);
  endInsertRows();
  return true;
}

bool GridModel::removeRows(int row, int count, const QModelIndex& parent) {
  if (parent.isValid() || row < 0 || count < 1 || count > rows_ - row) return false;
  beginRemoveRows(QModelIndex(), row, row + count - 1);
  // Cutting off the end of the shown rows needs no map; taking rows out among them does.
  if (source_ && row_map_.empty() && row + count < source_rows_) MapRows();
  if (!row_map_.empty()) {
    row_map_.erase(row_map_.begin() + row, row_map_.begin() + row + count);
  } else {
    source_rows_ = std::min(source_rows_, row);
  }
  rows_ -= count;
  ShiftTexts(Qt::Vertical, row, -count);
  endRemoveRows();
  LetGoOfSmallSource();
  return true;
}

bool GridModel::insertColumns(int column, int count, const QModelIndex& parent) {
  if (parent.isValid() || column < 0 || column > columns_ || count < 1) return false;
  beginInsertColumns(QModelIndex(), column, column + count - 1);
  kinds_.insert(kinds_.begin() + column, count, ColumnKind::kText);
  lists_.insert(lists_.begin() + column, count, QStringList());
  if (source_) column_map_.insert(column_map_.begin() + column, count, kNone);
  columns_ += count;
  ShiftTexts(Qt::Horizontal, column, count);
  endInsertColumns();
  return true;
}

bool GridModel::removeColumns(int column, int count, const QModelIndex& parent) {
  if (parent.isValid() || column < 0 || count < 1 || count > columns_ - column) return false;
  beginRemoveColumns(QModelIndex(), column, column + count - 1);
  kinds_.erase(kinds_.begin() + column, kinds_.begin() + column + count);
  lists_.erase(lists_.begin() + column, lists_.begin() + column + count);
  if (source_) {
    column_map_.erase(column_map_.begin() + column, column_map_.begin() + column + count);
  }
  columns_ -= count;
  ShiftTexts(Qt::Horizontal, column, -count);
  endRemoveColumns();
  LetGoOfSmallSource();
  return true;
}

std::string GridModel::Text(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return "";
  std::string scratch;
  return std::string(TextView(row, column, scratch));
}

std::string_view GridModel::TextPrefix(int row, int column, std::size_t bytes,
                                       std::string& scratch) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
  if (auto cell = Bytes(row, column, kShownHexBytes + 1)) {
    scratch = FromQt(BytesCellText(*cell));
    return std::string_view(scratch).substr(0, bytes);
  }
  return TextView(row, column, scratch, bytes);
}

std::size_t GridModel::StoredSize(int row, int column) const {
  if (const Written* written = FindWritten(row, column)) {
    return written->bytes ? written->bytes_size : written->text.size();
  }
  int source_row = 0;
  int source_column = 0;
  if (!SourceCell(row, column, source_row, source_column)) return 0;
  return source_->stored_size(source_row, source_column);
}

std::optional<BytesCell> GridModel::Bytes(int row, int column, std::size_t start_bytes) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return std::nullopt;
  if (const Written* written = FindWritten(row, column)) {
    if (!written->bytes) return std::nullopt;
    return BytesCell{written->bytes_size, std::string_view(written->text).substr(0, start_bytes)};
  }
  int source_row = 0;
  int source_column = 0;
  if (!SourceCell(row, column, source_row, source_column)) return std::nullopt;
  return source_->bytes(source_row, source_column, start_bytes);
}

bool GridModel::IsNull(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return false;
  if (const Written* written = FindWritten(row, column)) return written->null;
  int source_row = 0;
  int source_column = 0;
  return SourceCell(row, column, source_row, source_column) &&
         source_->is_null(source_row, source_column);
}

const GridModel::Written* GridModel::FindWritten(int row, int column) const {
  if (texts_.empty()) return nullptr;
  const auto written = texts_.find(KeyOf(row, column));
  return written == texts_.end() ? nullptr : &written->second;
}

void GridModel::SetText(int row, int column, std::string text) {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return;
  texts_[KeyOf(row, column)] = Written{std::move(text)};
  const QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

void GridModel::ClearTexts() {
  more_rows_coming_ = false;
  texts_.clear();
  source_.reset();
  source_rows_ = 0;
  row_map_.clear();
  column_map_.clear();
  if (rows_ > 0 && columns_ > 0) {
    emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole, Qt::EditRole});
  }
}

void GridModel::SetFixedRows(int rows) { fixed_rows_ = std::max(rows, 0); }

void GridModel::SetFixedColumns(int columns) { fixed_columns_ = std::max(columns, 0); }

ColumnKind GridModel::Kind(int column) const {
  return column >= 0 && column < columns_ ? kinds_[static_cast<std::size_t>(column)]
                                          : ColumnKind::kText;
}

const QStringList& GridModel::DropDownList(int column) const {
  static const QStringList none;
  return column >= 0 && column < columns_ ? lists_[static_cast<std::size_t>(column)] : none;
}

void GridModel::SetKind(int column, ColumnKind kind, const QStringList& list) {
  if (column < 0 || column >= columns_) return;
  kinds_[static_cast<std::size_t>(column)] = kind;
  lists_[static_cast<std::size_t>(column)] = kind == ColumnKind::kDropDown ? list : QStringList();
}

void GridModel::ClearKinds() {
  kinds_.assign(static_cast<std::size_t>(columns_), ColumnKind::kText);
  lists_.assign(static_cast<std::size_t>(columns_), QStringList());
}

bool GridModel::Accepts(int column, const std::string& text) const {
  return Kind(column) != ColumnKind::kNumeric || AcceptsNumber(text);
}

void GridModel::ShowSource(std::shared_ptr<const CellTexts> source, bool header, bool numbers) {
  texts_.clear();
  source_.reset();
  source_rows_ = 0;
  row_map_.clear();
  column_map_.clear();
  if (!source) source = std::make_shared<NoCells>();
  const int rows = std::max(source->rows(), 1);
  const int shown_columns = std::max(source->columns(), 1);
  const int offset = numbers ? 1 : 0;
  Reshape(rows, shown_columns + offset);
  source_ = std::move(source);
  header_ = header;
  source_rows_ = rows;
  column_map_.resize(static_cast<std::size_t>(columns_));
  if (numbers) column_map_[0] = kNumbers;
  for (int c = 0; c < shown_columns; ++c) column_map_[static_cast<std::size_t>(c + offset)] = c;
  emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole, Qt::EditRole});
}

void GridModel::ShowMoreSourceRows() {
  if (!source_ || !row_map_.empty() || rows_ != source_rows_) return;
  const int rows = source_->rows();
  if (rows <= source_rows_) return;
  beginInsertRows(QModelIndex(), rows_, rows - 1);
  rows_ = rows;
  source_rows_ = rows;
  endInsertRows();
}

bool GridModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && more_rows_coming_ && on_more_rows_wanted != nullptr;
}

void GridModel::fetchMore(const QModelIndex& parent) {
  if (canFetchMore(parent)) on_more_rows_wanted();
}

int GridModel::SourceRow(int row) const {
  if (!source_) return kNone;
  if (!row_map_.empty()) return row_map_[static_cast<std::size_t>(row)];
  return row < source_rows_ ? row : kNone;
}

int GridModel::SourceColumn(int column) const {
  return source_ ? column_map_[static_cast<std::size_t>(column)] : kNone;
}

std::string_view GridModel::TextView(int row, int column, std::string& scratch,
                                     std::size_t limit) const {
  if (const Written* written = FindWritten(row, column))
    return std::string_view(written->text).substr(0, limit);
  int source_row = 0;
  int source_column = 0;
  if (!SourceCell(row, column, source_row, source_column)) {
    if (source_row == kNone || source_column != kNumbers) return {};
    scratch = RowNumberText(source_row, header_);
    return scratch;
  }
  if (limit == std::string_view::npos) return source_->at(source_row, source_column, scratch);
  return source_->prefix(source_row, source_column, limit, scratch);
}

bool GridModel::SourceCell(int row, int column, int& source_row, int& source_column) const {
  source_row = SourceRow(row);
  source_column = SourceColumn(column);
  // An empty table still shows one row and column, which read as empty cells.
  return source_row != kNone && source_column >= 0 && source_row < source_->rows() &&
         source_column < source_->columns();
}

void GridModel::MapRows() {
  row_map_.resize(static_cast<std::size_t>(rows_));
  for (int r = 0; r < rows_; ++r) {
    row_map_[static_cast<std::size_t>(r)] = r < source_rows_ ? r : kNone;
  }
}

void GridModel::ShiftTexts(Qt::Orientation orientation, int first, int count) {
  if (texts_.empty()) return;
  std::unordered_map<Key, Written> shifted;
  shifted.reserve(texts_.size());
  for (auto& [key, written] : texts_) {
    int row = static_cast<int>(key >> 32);
    int column = static_cast<int>(key & 0xFFFFFFFFu);
    int& at = orientation == Qt::Vertical ? row : column;
    if (at >= first) {
      if (count < 0 && at < first - count) continue;  // removed with its row or column
      at += count;
    }
    shifted.emplace(KeyOf(row, column), std::move(written));
  }
  texts_.swap(shifted);
}

void GridModel::LetGoOfSmallSource() {
  if (!source_) return;
  std::vector<int> rows;
  if (row_map_.empty()) {
    if (static_cast<std::size_t>(source_rows_) > kSmallSourceCells) return;
    for (int r = 0; r < source_rows_; ++r) rows.push_back(r);
  } else {
    for (int r = 0; r < rows_; ++r) {
      if (row_map_[static_cast<std::size_t>(r)] == kNone) continue;
      if (rows.size() == kSmallSourceCells) return;
      rows.push_back(r);
    }
  }
  std::vector<int> columns;
  for (int c = 0; c < columns_; ++c) {
    if (column_map_[static_cast<std::size_t>(c)] != kNone) columns.push_back(c);
  }
  if (rows.size() * columns.size() > kSmallSourceCells) return;
  std::string scratch;
  for (int r : rows) {
    for (int c : columns) {
      if (texts_.count(KeyOf(r, c)) != 0) continue;
      const std::optional<BytesCell> bytes = Bytes(r, c, 0);
      texts_.emplace(KeyOf(r, c), Written{std::string(TextView(r, c, scratch)), IsNull(r, c),
                                          bytes.has_value(), bytes ? bytes->size : 0});
    }
  }
  source_.reset();
  source_rows_ = 0;
  row_map_.clear();
  column_map_.clear();
}

void GridModel::Reshape(int rows, int columns) {
  if (rows > rows_) insertRows(rows_, rows - rows_);
  if (rows < rows_) removeRows(rows, rows_ - rows);
  if (columns > columns_) insertColumns(columns_, columns - columns_);
  if (columns < columns_) removeColumns(columns, columns_ - columns);
}

}  // namespace torvane
