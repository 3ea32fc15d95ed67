#include "model/text_arena.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace tagcfg {

namespace {
constexpr size_t kFirstBlock = 4096;
constexpr size_t kLargestBlock = size_t{1} << 20;
}  // namespace

std::ostream &operator<<(std::ostream &out, const Text &text) { return out << text.view(); }

char *TextArena::adopt(std::string bytes) {
    // The string moves into a record of its own, so its buffer stays put as files_ grows.
    files_.push_back(std::make_unique<std::string>(std::move(bytes)));
    held_ += files_.back()->size() + 1;
    return files_.back()->data();
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
    return Text(at, text.size());
}

void TextArena::clear() {
    files_.clear();
    blocks_.clear();
    free_ = nullptr;
    free_size_ = 0;
    held_ = 0;
    in_blocks_ = 0;
}

}  // namespace tagcfg
