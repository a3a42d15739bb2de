#include "db/text_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace torvane {
namespace {

// Blocks start small, so a one-row result stays small, and double up to a size where the cost of
// one allocation vanishes against filling it.
constexpr std::size_t kFirstBlock = 4096;
constexpr std::size_t kLargestBlock = std::size_t{1} << 20;

char* Reallocate(char* old, std::size_t size) {
  void* p = std::realloc(old, size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  return static_cast<char*>(p);
}

// Bit `index` of a bitmap kept only up to its last set bit.
void SetBit(ChunkedVector<std::uint64_t>& words, std::size_t index) {
  while (words.size() <= index / 64) words.push_back(0);
  words.back() |= std::uint64_t{1} << (index % 64);
}

bool TestBit(const ChunkedVector<std::uint64_t>& words, std::size_t index) {
  return index / 64 < words.size() && ((words[index / 64] >> (index % 64)) & 1) != 0;
}

}  // namespace

void TextRows::Free::operator()(char* p) const { std::free(p); }

TextRows::TextRows(std::vector<std::string> column_names, TextMode text_mode,
                   std::uint64_t offset_limit)
    : column_names_(std::move(column_names)),
      text_mode_(text_mode),
      offset_limit_(offset_limit),
      next_capacity_(kFirstBlock) {}

void TextRows::AppendCell(const char* data, std::size_t size) {
  const std::uint64_t begin = total_;
  if (size > 0) {
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < size) {
      TrimLastBlock();
      const std::size_t capacity = std::max(size, next_capacity_);
      next_capacity_ = std::min(next_capacity_ * 2, kLargestBlock);
      blocks_.push_back(
          Block{std::unique_ptr<char, Free>(Reallocate(nullptr, capacity)), total_, 0, capacity});
    }
    Block& block = blocks_.back();
    std::memcpy(block.data.get() + block.used, data, size);
    block.used += size;
    total_ += size;
  }
  AppendEnd(begin);
}

void TextRows::AppendBytes(const char* data, std::size_t size) {
  SetBit(bytes_words_, cells_);
  AppendCell(data, size);
}

void TextRows::AppendCutBytes(std::uint64_t size, const char* start, std::size_t kept) {
  SetBit(cut_words_, cells_);
  cut_sizes_.push_back(CutSize{cells_, size});
  AppendBytes(start, kept);
}

void TextRows::AppendNull() {
  SetBit(null_words_, cells_);
  AppendEnd(total_);
}

bool TextRows::IsNull(std::size_t index) const { return TestBit(null_words_, index); }

bool TextRows::IsBytes(std::size_t index) const { return TestBit(bytes_words_, index); }

bool TextRows::IsCut(std::size_t index) const { return TestBit(cut_words_, index); }

std::uint64_t TextRows::StoredSize(std::size_t index) const {
  if (IsCut(index)) {
    const auto cut = std::lower_bound(
        cut_sizes_.begin(), cut_sizes_.end(), index,
        [](const CutSize& entry, std::size_t wanted) { return entry.index < wanted; });
    return cut->size;
  }
  return End(index) - (index == 0 ? 0 : End(index - 1));
}

void TextRows::AppendEnd(std::uint64_t begin) {
  if (!wide_) {
    if (cells_ % Offsets::kBlockSize == 0) bases_.push_back(begin);
    const std::uint64_t offset = total_ - bases_.back();
    if (offset <= offset_limit_) {
      offsets_.push_back(static_cast<std::uint32_t>(offset));
      ++cells_;
      return;
    }
    // Some four gigabytes of text in one group of cells: from now on every end is kept whole.
    for (std::size_t i = 0; i < cells_; ++i) wide_ends_.push_back(End(i));
    wide_ = true;
    offsets_.clear();
    bases_.clear();
    bases_.shrink_to_fit();
  }
  wide_ends_.push_back(total_);
  ++cells_;
}

std::uint64_t TextRows::End(std::size_t index) const {
  if (wide_) return wide_ends_[index];
  return bases_[index / Offsets::kBlockSize] + offsets_[index];
}

void TextRows::TrimLastBlock() {
  if (blocks_.empty()) return;
  Block& block = blocks_.back();
  if (block.used == block.capacity) return;
  char* trimmed = Reallocate(block.data.get(), block.used);
  block.data.release();
  block.data.reset(trimmed);
  block.capacity = block.used;
}

void TextRows::Finish() {
  TrimLastBlock();
  blocks_.shrink_to_fit();
  bases_.shrink_to_fit();
  offsets_.ShrinkToFit();
  wide_ends_.ShrinkToFit();
  null_words_.ShrinkToFit();
  bytes_words_.ShrinkToFit();
  cut_words_.ShrinkToFit();
  cut_sizes_.shrink_to_fit();
}

std::string_view TextRows::cell(std::size_t index) const {
  const std::uint64_t end = End(index);
  const std::uint64_t begin = index == 0 ? 0 : End(index - 1);
  if (end == begin) return {};
  // The block holding the cell is the last one starting at or before its first byte.
  const auto after = std::upper_bound(
      blocks_.begin(), blocks_.end(), begin,
      [](std::uint64_t position, const Block& block) { return position < block.start; });
  const Block& block = *(after - 1);
  return std::string_view(block.data.get() + (begin - block.start), end - begin);
}

std::size_t TextRows::HeldBytes() const {
  std::size_t bytes =
      sizeof(*this) + offsets_.HeldBytes() + wide_ends_.HeldBytes() + null_words_.HeldBytes() +
      bytes_words_.HeldBytes() + cut_words_.HeldBytes() + cut_sizes_.capacity() * sizeof(CutSize) +
      bases_.capacity() * sizeof(std::uint64_t) + blocks_.capacity() * sizeof(Block) +
      column_names_.capacity() * sizeof(std::string);
  for (const Block& block : blocks_) bytes += block.capacity;
  for (const std::string& name : column_names_) {
    // Short names live inside the string object itself.
    if (name.capacity() > std::string().capacity()) bytes += name.capacity() + 1;
  }
  return bytes;
}

}  // namespace torvane
