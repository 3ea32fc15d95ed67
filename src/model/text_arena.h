// Where a server's channel texts live: the bytes of the file they were read from, used in place,
// and growing blocks for texts stored later. Channels hold views into them, so a loaded channel
// costs no allocation of its own and its record stays small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tagcfg {

// A text a channel refers to, never owns. The byte after its last is always a zero, so data()
// hands C callers a terminated text without a copy.
class Text {
public:
    Text() = default;

    const char *data() const { return data_; }
    const char *c_str() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string_view view() const { return {data_, size_}; }
    operator std::string_view() const { return view(); }  // implicit: a channel text reads like any other
    std::string str() const { return std::string(data_, size_); }

private:
    friend class TextArena;
    Text(const char *data, size_t size) : data_(data), size_(static_cast<uint32_t>(size)) {}

    const char *data_ = "";  // not owned: into a TextArena, or the empty literal
    uint32_t size_ = 0;
};

inline bool operator==(const Text &a, std::string_view b) { return a.view() == b; }
inline bool operator==(std::string_view a, const Text &b) { return a == b.view(); }
inline bool operator==(const Text &a, const Text &b) { return a.view() == b.view(); }
inline bool operator!=(const Text &a, std::string_view b) { return !(a == b); }
inline bool operator!=(std::string_view a, const Text &b) { return !(a == b); }
inline bool operator!=(const Text &a, const Text &b) { return !(a == b); }
std::ostream &operator<<(std::ostream &out, const Text &text);

class TextArena {
public:
    TextArena() = default;
    TextArena(const TextArena &) = delete;
    TextArena &operator=(const TextArena &) = delete;
    TextArena(TextArena &&) noexcept = default;
    TextArena &operator=(TextArena &&) noexcept = default;
    ~TextArena() = default;

    // Keeps a file's bytes for texts to be marked off in them by in_place(); the bytes stay where
    // they are until the arena is cleared or goes.
    char *adopt(std::string bytes);

    // A text of adopted bytes, used where it stands: the byte after it, a line end or a trailing
    // blank the reader dropped (or the string's own terminator), becomes its zero.
    static Text in_place(char *data, size_t size) {
        data[size] = '\0';
        return Text(data, size);
    }

    // A copy of the text, with its zero, in the growing blocks.
    Text store(std::string_view text);

    // Bytes given to texts and files so far, dead ones included: what the arena costs.
    size_t held_bytes() const { return held_; }

    void clear();

private:
    std::vector<std::unique_ptr<std::string>> files_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char *free_ = nullptr;  // not owned: the unused end of the last block
    size_t free_size_ = 0;
    size_t held_ = 0;
    size_t in_blocks_ = 0;  // of held_, what store() gave out
};

}  // namespace tagcfg
