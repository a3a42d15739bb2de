#pragma once

// The rows a record set stepped through, kept as texts: every cell's bytes back to back in a few
// large blocks and the end position of every cell, held as a 32-bit offset from a 64-bit base per
// group of cells. A result so holds its raw text plus a little over four bytes per cell. A cell of
// bytes may be kept cut: only its first bytes are held, beside the size it has as stored. Filled
// once, then only read (and shared by the tables handed out).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/chunked_vector.h"
#include "db/engine.h"

namespace torvane {

class TextRows {
 public:
  // `column_names` are internal text; the cells are kept as the engine gives them, in the
  // encoding `text_mode` names. `offset_limit` is the largest offset kept in 32 bits (lowered only
  // by tests); a group of cells whose text outgrows it turns every end position into a full 64-bit
  // one.
  explicit TextRows(std::vector<std::string> column_names, TextMode text_mode = TextMode::kGbk,
                    std::uint64_t offset_limit = UINT32_MAX);
  TextRows(const TextRows&) = delete;
  TextRows& operator=(const TextRows&) = delete;

  // Appends the next cell, row by row; `size` bytes at `data` (may be null when size is 0).
  void AppendCell(const char* data, std::size_t size);
  // Appends a cell that holds bytes (a BLOB) rather than text; IsBytes tells it from a text.
  void AppendBytes(const char* data, std::size_t size);
  // Appends a cell that holds bytes of which only the first `kept` bytes at `start` are held: a
  // BLOB of `size` bytes as stored (more than `kept`), read in part. IsBytes and IsCut are true
  // for it, cell() gives those first bytes and StoredSize the whole size.
  void AppendCutBytes(std::uint64_t size, const char* start, std::size_t kept);
  // Appends a cell that holds SQL NULL: its text is "", and IsNull tells it from an empty text.
  void AppendNull();
  // Gives back unused memory once the last cell is in.
  void Finish();

  int columns() const { return static_cast<int>(column_names_.size()); }
  // Complete rows held.
  std::size_t rows() const { return column_names_.empty() ? 0 : cells_ / column_names_.size(); }
  const std::string& column_name(int column) const { return column_names_[column]; }
  TextMode text_mode() const { return text_mode_; }
  // Cell number `index` counted row by row from 0; must be below rows() * columns().
  std::string_view cell(std::size_t index) const;
  // Whether cell number `index` holds SQL NULL.
  bool IsNull(std::size_t index) const;
  // Whether cell number `index` holds bytes.
  bool IsBytes(std::size_t index) const;
  // Whether cell number `index` holds bytes kept cut (AppendCutBytes): cell() is their start only.
  bool IsCut(std::size_t index) const;
  // How many bytes cell number `index` has as stored: the size of cell(), or a cut cell's whole
  // size.
  std::uint64_t StoredSize(std::size_t index) const;

  // Bytes held for the cells: text blocks and end positions.
  std::size_t HeldBytes() const;

 private:
  struct Free {
    void operator()(char* p) const;
  };
  struct Block {
    std::unique_ptr<char, Free> data;
    std::uint64_t start;  // position of the block's first byte in the run of all cell bytes
    std::size_t used;
    std::size_t capacity;
  };

  void TrimLastBlock();
  void AppendEnd(std::uint64_t begin);
  // End position of cell `index`; a cell begins where the previous one ended.
  std::uint64_t End(std::size_t index) const;

  using Offsets = ChunkedVector<std::uint32_t>;

  std::vector<std::string> column_names_;
  TextMode text_mode_;
  std::vector<Block> blocks_;               // a cell never spans two blocks
  Offsets offsets_;                         // end of every cell over its group's base
  std::vector<std::uint64_t> bases_;        // one per Offsets::kBlockSize cells
  ChunkedVector<std::uint64_t> wide_ends_;  // all end positions instead, once they outgrow 32 bits
  // Bit i % 64 of word i / 64 is set when cell i is NULL. Words are kept only up to the last NULL,
  // so a result without NULLs holds none.
  ChunkedVector<std::uint64_t> null_words_;
  // The same for the cells that hold bytes, and for those kept cut.
  ChunkedVector<std::uint64_t> bytes_words_;
  ChunkedVector<std::uint64_t> cut_words_;
  // The whole size of every cut cell, by cell number in increasing order: there are few of them.
  struct CutSize {
    std::size_t index;
    std::uint64_t size;
  };
  std::vector<CutSize> cut_sizes_;
  bool wide_ = false;
  std::uint64_t offset_limit_;
  std::size_t cells_ = 0;
  std::uint64_t total_ = 0;  // cell bytes so far
  std::size_t next_capacity_;
};

}  // namespace torvane
