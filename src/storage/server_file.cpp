#include "storage/server_file.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/channel_table.h"
#include "platform/files.h"
#include "storage/line_search.h"

namespace tagcfg {

namespace {

constexpr const char kSignature[] = "%%OPC_SERVER_CONFIG";
constexpr const char kEol[] = "\r\n";

bool is_space(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// Yields the lines of a text, as views into it, with their LF dropped and their trailing white
// space removed; lines after the first whose first byte is ";" come out empty.
class LineReader {
public:
    LineReader(const char *text, size_t length) : next_(text), end_(text + length) {}

    bool next(std::string_view &line) {
        // An empty text still has its (empty) first line.
        if (next_ == end_ && number_ > 0) return false;
        const char *lf = find_line_feed(next_, end_);
        const char *stop = lf ? lf : end_;
        const char *trimmed = stop;
        while (trimmed > next_ && is_space(static_cast<unsigned char>(trimmed[-1]))) --trimmed;
        bool comment = number_ > 0 && next_ < stop && *next_ == ';';
        line = std::string_view(next_, static_cast<size_t>((comment ? next_ : trimmed) - next_));
        next_ = lf ? lf + 1 : end_;
        ++number_;
        return true;
    }

    size_t number() const { return number_; }

private:
    const char *next_;  // not owned: into the text being parsed, which outlives the reader
    const char *end_;
    size_t number_ = 0;
};

// The value behind a keyword at the start of the line, or false when the line has another start.
bool keyword_value(std::string_view line, std::string_view keyword, std::string_view &value) {
    if (line.substr(0, keyword.size()) != keyword) return false;
    value = line.substr(keyword.size());
    return true;
}

// The same for a literal keyword: its length known when compiling, the comparison needs no call,
// which counts on every line of a channel block.
template <size_t N>
bool keyword_value(std::string_view line, const char (&keyword)[N], std::string_view &value) {
    constexpr size_t size = N - 1;
    if (line.size() < size || std::memcmp(line.data(), keyword, size) != 0) return false;
    value = line.substr(size);
    return true;
}

// Texts go into the file only up to their first LF, so no text can add or break lines. A CR
// inside a text ends no line and is read back as it was written.
void put_line(std::string &out, const char *keyword, std::string_view text) {
    out += keyword;
    const void *lf = std::memchr(text.data(), '\n', text.size());
    out.append(text.data(), lf ? static_cast<size_t>(static_cast<const char *>(lf) - text.data()) : text.size());
    out += kEol;
}

struct Head {
    std::string_view keyword;
    std::string ServerConfig::*field;
};

const Head kHeads[] = {{"PROGID:", &ServerConfig::progid},
                       {"CLSID:", &ServerConfig::clsid},
                       {"HOSTNAME:", &ServerConfig::hostname},
                       {"CHANNEL_FORMAT:", &ServerConfig::channel_format},
                       {"DESCRIPTION:", &ServerConfig::description}};

bool fail(ParseError *error, size_t line, const char *reason) {
    if (error) *error = {line, reason};
    return false;
}

}  // namespace

uint32_t parse_unsigned_base0(std::string_view text) {
    const char *p = text.data(), *const end = p + text.size();
    auto at = [&](size_t ahead) { return p + ahead < end ? p[ahead] : '\0'; };
    // A plain decimal number, as every file written here holds, the short way.
    if (at(0) >= '1' && at(0) <= '9') {
        uint64_t value = 0;
        for (; p < end && *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            if (value > 0xFFFFFFFFu) return 0xFFFFFFFFu;
        }
        return static_cast<uint32_t>(value);
    }
    while (p < end && is_space(static_cast<unsigned char>(*p))) ++p;
    const bool negative = at(0) == '-';
    if (at(0) == '+' || at(0) == '-') ++p;
    unsigned base = 10;
    if (at(0) == '0' && (at(1) == 'x' || at(1) == 'X') && std::isxdigit(static_cast<unsigned char>(at(2)))) {
        base = 16;
        p += 2;
    } else if (at(0) == '0') {
        base = 8;
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; p < end; ++p) {
        unsigned digit;
        const auto c = static_cast<unsigned char>(*p);
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) overflow = true, value = 0xFFFFFFFFu;
    }
    if (overflow) return 0xFFFFFFFFu;
    const auto result = static_cast<uint32_t>(value);
    return negative ? 0u - result : result;
}

namespace {

// Parses a file's bytes into a configuration that takes its channels' texts as they are appended.
bool parse_lines(ServerConfig &config, const char *text, size_t length, ParseError *error) {
    LineReader lines(text, length);
    std::string_view line, value;
    lines.next(line);
    if (line != kSignature) return fail(error, 1, "the first line is not the signature %%OPC_SERVER_CONFIG");

    bool in_channels = false;
    while (lines.next(line)) {
        if (line.empty()) continue;
        if (line[0] == '%') {
            in_channels = true;
            break;
        }
        const Head *head = nullptr;
        for (const Head &h : kHeads)
            if (keyword_value(line, h.keyword, value)) {
                head = &h;
                break;
            }
        if (!head)
            return fail(error, lines.number(),
                        "a server line must begin with PROGID:, CLSID:, HOSTNAME:, CHANNEL_FORMAT: or DESCRIPTION:");
        config.*(head->field) = value;
    }
    if (!in_channels) return true;

    // `line` is a block header here.
    for (;;) {
        int32_t channel_id = -1;
        std::string_view channel_name, item_id, access_path;
        if (keyword_value(line, "%CHANNEL:", value)) {
            channel_name = value;
        } else if (keyword_value(line, "%CHANID:", value)) {
            channel_id = static_cast<int32_t>(parse_unsigned_base0(value));
        } else {
            return fail(error, lines.number(), "a line beginning with % must be %CHANNEL: or %CHANID:");
        }
        bool next_block = false;
        while (lines.next(line)) {
            if (line.empty()) continue;
            if (line[0] == '%') {
                next_block = true;
                break;
            }
            if (keyword_value(line, "ID:", value)) item_id = value;
            else if (keyword_value(line, "ACCPATH:", value)) access_path = value;
            else return fail(error, lines.number(), "a channel line must begin with ID: or ACCPATH:");
        }
        // Copied only now: a repeated keyword's earlier value is not kept.
        append_file_channel(config, channel_id, channel_name, item_id, access_path);
        if (!next_block) return true;
    }
}

}  // namespace

bool parse_server_config(ServerConfig &config, const char *text, size_t length, ParseError *error) {
    begin_file_channels(config, length);
    const bool parsed = parse_lines(config, text, length, error);
    // A file that fails part way still ends its block of texts and indexes the channels it gave:
    // the bytes the arena counts and the indexes agree with the channels the server holds.
    index_file_channels(config);
    return parsed;
}

std::string format_server_config(const ServerConfig &config) {
    std::string out;
    out.reserve(64 + config.channel_count() * 48);
    out += kSignature;
    out += kEol;
    out += kEol;
    if (!config.progid.empty()) put_line(out, "PROGID:", config.progid);
    if (!config.clsid.empty()) put_line(out, "CLSID:", config.clsid);
    if (!config.hostname.empty()) put_line(out, "HOSTNAME:", config.hostname);
    if (!config.description.empty()) put_line(out, "DESCRIPTION:", config.description);
    out += kEol;
    for (const Channel &c : config.channels()) {
        if (c.channel_id >= 0) {
            out += "%CHANID:";
            out += std::to_string(c.channel_id);
            out += kEol;
        } else if (!c.channel_name.empty()) {
            put_line(out, "%CHANNEL:", c.channel_name);
        } else {
            continue;
        }
        if (!c.item_id.empty()) put_line(out, "ID:", c.item_id);
        if (!c.access_path.empty()) put_line(out, "ACCPATH:", c.access_path);
        out += kEol;
    }
    return out;
}

const char *unstorable_reason(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return "holds a NUL byte";
    if (text.find('\n') != std::string_view::npos) return "holds a line break";
    if (!text.empty() && is_space(static_cast<unsigned char>(text.back())))
        return "ends in white space, which the server file does not keep";
    return nullptr;
}

std::vector<size_t> block_header_lines(const char *text, size_t length) {
    std::vector<size_t> lines;
    LineReader reader(text, length);
    std::string_view line;
    for (reader.next(line); reader.next(line);)
        if (!line.empty() && line[0] == '%') lines.push_back(reader.number());
    return lines;
}

bool read_server_file(ServerConfig &config, const std::string &path, ParseError *error, std::string *scratch) {
    reset_server(config);
    std::string own;
    std::string &bytes = scratch ? *scratch : own;
    platform::ReadFailure failure = platform::ReadFailure::none;
    if (!platform::read_file(path, bytes, &failure))
        return fail(error, 0,
                    failure == platform::ReadFailure::cannot_open   ? "the file cannot be opened"
                    : failure == platform::ReadFailure::not_regular ? "not a regular file"
                                                                    : "the file cannot be read");
    return parse_server_config(config, bytes.data(), bytes.size(), error);
}

bool write_server_file(ServerConfig &config, const std::string &path) {
    compact_texts(config);
    if (!platform::replace_file(path, format_server_config(config))) return false;
    config.modified = false;
    return true;
}

}  // namespace tagcfg
