// "show": the set at a glance. The public interface gives everything a host may ask about a
// server; it has no way to list a server's channels or read its description, so those come
// from the server's file through the library's own reader.
#include <algorithm>
#include <iomanip>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"
#include "model/counted_record.h"
#include "model/server_config.h"
#include "project.h"
#include "storage/set_files.h"
#include "storage/server_file.h"

namespace tagcfg::cli {

namespace {

constexpr int kLabelWidth = 8;  // "OPC255" and a gap
constexpr const char *kNone = "-";

std::string or_placeholder(std::string_view text, const char *placeholder) {
    return std::string(text.empty() ? std::string_view(placeholder) : text);
}

void print_field(const char *label, const std::string &value) {
    std::cout << std::string(kLabelWidth, ' ') << std::left << std::setw(13) << label << value << '\n';
}

void print_channels(const ServerConfig &config) {
    struct Row {
        std::string number, name, item_id, access_path;
    };
    std::vector<Row> rows{{"No.", "Name", "Item ID", "Access path"}};
    for (const Channel *c = config.channels.first(); c; c = c->next())
        rows.push_back({c->channel_id >= 0 ? std::to_string(c->channel_id) : kNone,
                        or_placeholder(c->channel_name, kNone), or_placeholder(c->item_id, kNone),
                        or_placeholder(c->access_path, kNone)});
    size_t number_width = 0, name_width = 0, item_width = 0;
    for (const Row &row : rows) {
        number_width = std::max(number_width, row.number.size());
        name_width = std::max(name_width, row.name.size());
        item_width = std::max(item_width, row.item_id.size());
    }
    for (const Row &row : rows) {
        std::cout << std::string(kLabelWidth + 2, ' ') << std::left << std::setw(static_cast<int>(number_width + 2))
                  << row.number << std::setw(static_cast<int>(name_width + 2)) << row.name
                  << std::setw(static_cast<int>(item_width + 2)) << row.item_id << row.access_path << '\n';
    }
}

void print_server(const Project &project, int server) {
    std::cout << '\n' << std::left << std::setw(kLabelWidth) << ("OPC" + std::to_string(server));
    int type = 0, channels = 0;
    if (tagcfg_get_server_type(project.env(), server, &type, &channels) != 0) {
        std::cout << "(empty slot)\n";
        return;
    }
    std::cout << or_placeholder(project.server_name(server), "(no ProgID or CLSID)") << '\n';
    print_field("Host", or_placeholder(project.server_host(server), "(this computer)"));

    RecordRef<ServerConfig> config(new ServerConfig);
    const std::string path = set_file_path(project.directory(), project.base_name(), server);
    const bool read = read_server_file(*config, path);
    print_field("Description", read ? or_placeholder(config->description, kNone) : "(file no longer readable)");
    print_field("Type", std::to_string(type));
    print_field("Channels", std::to_string(channels));
    if (read && config->channels.size() > 0) print_channels(*config);
}

}  // namespace

int run_show(const Args &args) {
    Project project(args.positional[0], args.positional[1]);
    if (!project.load()) return kFailure;
    const int slots = project.slot_count();
    int servers = 0;
    for (int server = 0; server < slots; ++server) servers += project.has_server(server) ? 1 : 0;
    std::cout << "Set " << project.base_name() << " in \"" << project.directory() << "\": " << servers
              << (servers == 1 ? " server" : " servers") << " in " << slots << (slots == 1 ? " slot" : " slots")
              << '\n';
    for (int server = 0; server < slots; ++server) print_server(project, server);
    return kSuccess;
}

}  // namespace tagcfg::cli
