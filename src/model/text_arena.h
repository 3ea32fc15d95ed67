// Where a server's channel texts live: one block of the texts a file gave, copied out of the file
// as it is read and no larger than they are, and growing blocks for texts stored later. Channels
// hold pointers into them, so a channel record stays small and a load writes little.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tagcfg {

// A text a channel refers to, never owns: a pointer to its bytes, which a zero ends, so C callers
// take it without a copy. Its length is counted when asked for; every text is a C string, as the
// host hands them in, so none holds a zero of its own.
class Text {
public:
    Text() = default;

    const char *data() const { return data_; }
    const char *c_str() const { return data_; }
    size_t size() const { return std::strlen(data_); }
    bool empty() const { return *data_ == '\0'; }
    std::string_view view() const { return data_; }
    operator std::string_view() const { return view(); }  // implicit: a channel text reads like any other
    std::string str() const { return data_; }

private:
    friend class TextArena;
    explicit Text(const char *data) : data_(data) {}

    const char *data_ = "";  // not owned: into a TextArena, or the empty literal
};

inline bool operator==(const Text &a, std::string_view b) { return a.view() == b; }
inline bool operator==(std::string_view a, const Text &b) { return a == b.view(); }
inline bool operator==(const Text &a, const Text &b) { return std::strcmp(a.data(), b.data()) == 0; }
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

    // A file's texts: room for at most `capacity` bytes of them, zeros included, taken one by one
    // with file_text() and trimmed to what they took with end_file(). True when the trimmed block
    // moved (a shrink stays where it is as a rule): the texts taken must then follow() it.
    void begin_file(size_t capacity);
    Text file_text(std::string_view text) {
        const size_t size = text.size();
        if (size == 0) return Text();
        char *at = file_end_;
        copy_short(at, text.data(), size);
        at[size] = '\0';
        file_end_ += size + 1;
        return Text(at);
    }
    bool end_file();
    Text follow(Text text) const;

    // A copy of the text, with its zero, in the growing blocks.
    Text store(std::string_view text);

    // Bytes given to texts so far, dead ones included: what the arena costs.
    size_t held_bytes() const { return held_; }

    void clear();

private:
    // A file's texts are short, and a call to memcpy for each costs more than its copy: up to 32
    // bytes go as two overlapping moves of fixed size, which need no call.
    static void copy_short(char *to, const char *from, size_t size) {
        if (size > 32) {
            std::memcpy(to, from, size);
        } else if (size >= 16) {
            move<16>(to, from);
            move<16>(to + size - 16, from + size - 16);
        } else if (size >= 8) {
            move<8>(to, from);
            move<8>(to + size - 8, from + size - 8);
        } else if (size >= 4) {
            move<4>(to, from);
            move<4>(to + size - 4, from + size - 4);
        } else {
            for (size_t i = 0; i < size; ++i) to[i] = from[i];
        }
    }
    template <size_t N>
    static void move(char *to, const char *from) {
        char bytes[N];
        std::memcpy(bytes, from, N);
        std::memcpy(to, bytes, N);
    }

    struct Free {
        void operator()(char *block) const { std::free(block); }
    };
    std::vector<std::unique_ptr<char, Free>> files_;  // one block per file read, trimmed to its texts
    char *file_end_ = nullptr;                        // not owned: where the next file text goes
    uintptr_t moved_from_ = 0, moved_size_ = 0;       // where the last file's block stood, if it moved
    std::vector<std::unique_ptr<char[]>> blocks_;
    char *free_ = nullptr;  // not owned: the unused end of the last block
    size_t free_size_ = 0;
    size_t held_ = 0;
    size_t in_blocks_ = 0;  // of held_, what store() gave out
};

}  // namespace tagcfg
