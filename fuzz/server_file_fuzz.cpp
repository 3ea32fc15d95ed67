// Whatever the parser accepts must survive a write and a second read, except what the file format
// cannot hold: channel_format, channels without a number of 0 or more and without a name, the
// names of numbered channels, and what stands in a text from its first LF on (a cut text then also
// loses the white space that the reader trims from a line's end). A CR inside a text stays.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "model/channel_table.h"
#include "storage/server_file.h"

using namespace tagcfg;

namespace {

bool is_space(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

std::string as_written(std::string_view text) {
    std::string cut(text.substr(0, text.find('\n')));
    while (!cut.empty() && is_space(cut.back())) cut.pop_back();
    return cut;
}

struct Row {
    int32_t id;
    std::string name, item, path;
    bool operator!=(const Row &o) const { return id != o.id || name != o.name || item != o.item || path != o.path; }
};

std::vector<Row> written_rows(const ServerConfig &config) {
    std::vector<Row> rows;
    for (const Channel &c : config.channels()) {
        if (c.channel_id < 0 && c.channel_name.empty()) continue;
        bool numbered = c.channel_id >= 0;
        rows.push_back({numbered ? c.channel_id : -1, numbered ? "" : as_written(c.channel_name), as_written(c.item_id),
                        as_written(c.access_path)});
    }
    return rows;
}

std::vector<Row> read_rows(const ServerConfig &config) {
    std::vector<Row> rows;
    for (const Channel &c : config.channels())
        rows.push_back({c.channel_id, c.channel_name.str(), c.item_id.str(), c.access_path.str()});
    return rows;
}

void check(bool ok, const char *what) {
    if (ok) return;
    std::fprintf(stderr, "round trip mismatch: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    RecordRef<ServerConfig> first(new ServerConfig);
    if (!parse_server_config(*first, reinterpret_cast<const char *>(data), size)) return 0;
    const std::string text = format_server_config(*first);

    RecordRef<ServerConfig> second(new ServerConfig);
    ParseError error;
    check(parse_server_config(*second, text.data(), text.size(), &error), "the written text is rejected");
    check(second->progid == as_written(first->progid), "progid");
    check(second->clsid == as_written(first->clsid), "clsid");
    check(second->hostname == as_written(first->hostname), "hostname");
    check(second->description == as_written(first->description), "description");
    check(second->channel_format.empty(), "channel_format");

    const std::vector<Row> expected = written_rows(*first), got = read_rows(*second);
    check(expected.size() == got.size(), "channel count");
    for (size_t i = 0; i < got.size(); ++i) check(!(expected[i] != got[i]), "channel");

    // What was read back is found again through the indexes.
    for (const Channel &c : second->channels()) {
        if (c.channel_id >= 0) {
            const Channel *found = lookup_channel(*second, c.channel_id, nullptr);
            check(found && found->channel_id == c.channel_id, "id index");
        }
        if (!c.channel_name.empty()) {
            const Channel *found = lookup_channel(*second, -1, c.channel_name.c_str());
            check(found && found->channel_name == c.channel_name, "name index");
        }
    }
    return 0;
}
