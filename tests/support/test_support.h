// Helpers shared by the native tests.
#pragma once

#include <string>
#include <vector>

#include "model/channel_table.h"
#include "model/counted_record.h"
#include "model/server_config.h"

namespace tagcfg::test {

// A server configuration held by one reference, as a slot would hold it.
inline RecordRef<ServerConfig> make_server() { return RecordRef<ServerConfig>(new ServerConfig); }

// Appends a channel as the file reader does (indexes are rebuilt separately).
inline void add_parsed(ServerConfig &config, int32_t id, const std::string &name, const std::string &item,
                       const std::string &access_path = "") {
    append_channel(config, ChannelValue{id, name, item, access_path});
}

// Each line with its end.
inline std::string lines(const std::vector<std::string> &lines, const std::string &end = "\n") {
    std::string text;
    for (const auto &line : lines) text += line + end;
    return text;
}

}  // namespace tagcfg::test
