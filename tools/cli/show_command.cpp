// "show": the set at a glance, every slot with its server's fields and channels.
#include <algorithm>
#include <iomanip>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"
#include "opc/server_type.h"
#include "project.h"
#include "text_escape.h"

namespace tagcfg::cli {

namespace {

constexpr int kLabelWidth = 8;  // "OPC255" and a gap
constexpr const char *kNone = "-";

// A field as shown: escaped, or the placeholder when it is empty.
std::string or_placeholder(std::string_view text, const char *placeholder) {
    return text.empty() ? std::string(placeholder) : shown(text);
}

void print_field(const char *label, const std::string &value) {
    std::cout << std::string(kLabelWidth, ' ') << std::left << std::setw(13) << label << value << '\n';
}

void print_channels(const ServerConfig &config) {
    struct Row {
        std::string number, name, item_id, access_path;
    };
    std::vector<Row> rows{{"No.", "Name", "Item ID", "Access path"}};
    for (const Channel &c : config.channels())
        rows.push_back({c.channel_id >= 0 ? std::to_string(c.channel_id) : kNone, or_placeholder(c.channel_name, kNone),
                        or_placeholder(c.item_id, kNone), or_placeholder(c.access_path, kNone)});
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

void print_server(const Environment &env, int server) {
    std::cout << '\n' << std::left << std::setw(kLabelWidth) << ("OPC" + std::to_string(server));
    const ServerConfig *config = server_at(&env, server);
    if (!config) {
        std::cout << "(empty slot)\n";
        return;
    }
    std::cout << or_placeholder(config->identity_text(), "(no ProgID or CLSID)") << '\n';
    print_field("Host", or_placeholder(config->hostname, "(this computer)"));
    print_field("Description", or_placeholder(config->description, kNone));
    print_field("Type", std::to_string(server_type_of(*config)));
    print_field("Channels", std::to_string(config->channel_count()));
    if (config->channel_count() > 0) print_channels(*config);
}

}  // namespace

int run_show(const Args &args) {
    Project project(args, "show");
    if (!project.load(Project::Access::read)) return kFailure;
    const Environment &env = project.env();
    const int slots = static_cast<int>(env.servers.size());
    int servers = 0;
    for (int server = 0; server < slots; ++server) servers += server_at(&env, server) ? 1 : 0;
    std::cout << "Set " << shown(project.base_name()) << " in \"" << shown(project.directory()) << "\": " << servers
              << (servers == 1 ? " server" : " servers") << " in " << slots << (slots == 1 ? " slot" : " slots")
              << '\n';
    for (int server = 0; server < slots; ++server) print_server(env, server);
    return kSuccess;
}

}  // namespace tagcfg::cli
