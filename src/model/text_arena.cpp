#include "model/text_arena.h"

#include <algorithm>
#include <new>
#include <ostream>

#include "platform/pages.h"

namespace tagcfg {

namespace {
constexpr size_t kFirstBlock = 4096;
constexpr size_t kLargestBlock = size_t{1} << 20;
}  // namespace

std::ostream &operator<<(std::ostream &out, const Text &text) { return out << text.view(); }

void TextArena::begin_file(size_t capacity) {
    // malloc, so that end_file can give the unused end back without a copy.
    char *block = static_cast<char *>(std::malloc(std::max<size_t>(capacity, 1)));
    if (!block) throw std::bad_alloc();
    platform::advise_huge_pages(block, capacity);
    files_.emplace_back(block);
    file_end_ = block;
}

bool TextArena::end_file() {
    char *block = files_.back().get();
    const size_t used = static_cast<size_t>(file_end_ - block);
    held_ += used;
    file_end_ = nullptr;
    // Where the block stood, kept as a number: once realloc moved it, the old address is no pointer.
    const auto from = reinterpret_cast<uintptr_t>(block);
    char *trimmed = static_cast<char *>(std::realloc(block, std::max<size_t>(used, 1)));
    if (!trimmed || reinterpret_cast<uintptr_t>(trimmed) == from) return false;  // stayed, or could not shrink
    // realloc has freed the old block: let go of it without a second free.
    (void)files_.back().release();
    files_.back().reset(trimmed);
    moved_from_ = from;
    moved_size_ = used;
    return true;
}

Text TextArena::follow(Text text) const {
    const auto at = reinterpret_cast<uintptr_t>(text.data());
    if (at < moved_from_ || at >= moved_from_ + moved_size_) return text;
    return Text(files_.back().get() + (at - moved_from_));
}

Text TextArena::store(std::string_view text) {
    if (text.empty()) return Text();
    const size_t needed = text.size() + 1;
    if (needed > free_size_) {
        // Blocks about as large as the blocks so far: n stored texts need few blocks, and one edit
        // of a large loaded file does not take a large block.
        const size_t size = std::max(needed, std::min(kLargestBlock, std::max(kFirstBlock, in_blocks_)));
        blocks_.push_back(std::make_unique<char[]>(size));
        free_ = blocks_.back().get();
        free_size_ = size;
    }
    char *at = free_;
    std::memcpy(at, text.data(), text.size());
    at[text.size()] = '\0';
    free_ += needed;
    free_size_ -= needed;
    held_ += needed;
    in_blocks_ += needed;
    return Text(at);
}

void TextArena::clear() {
    files_.clear();
    file_end_ = nullptr;
    blocks_.clear();
    free_ = nullptr;
    free_size_ = 0;
    held_ = 0;
    in_blocks_ = 0;
}

}  // namespace tagcfg
