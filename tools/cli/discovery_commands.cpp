// What an integrator asks of servers without opening a dialog: what their address spaces hold;
// and how verify and read name a server and report one they could not create or open.
#include <iostream>
#include <string>
#include <unordered_set>

#include "com_apartment.h"
#include "command.h"
#include "discovery.h"
#include "opc/headless_browse.h"
#include "text_escape.h"

namespace tagcfg::cli {

namespace {

// --depth: how many levels below the root are opened; the browse view never goes further.
int depth_of(const Args &args) {
    const int depth = args.depth.value_or(kMostBrowseLevels);
    if (depth < 0 || depth > kMostBrowseLevels)
        throw UsageError("--depth must be from 0 to " + std::to_string(kMostBrowseLevels));
    return depth;
}

// Each name below the node on a line of its own, two blanks deeper per level, opening branches
// down to most_levels below the root.
void print_names(HeadlessBrowse &browse, ui::TreeNode node, int level, int most_levels) {
    ui::MemoryTree &tree = browse.tree();
    tree.expand(node);
    for (ui::TreeNode child = tree.first_child(node); child; child = tree.next_sibling(child)) {
        std::cout << std::string(2 * static_cast<size_t>(level), ' ') << quote_if_needed(tree.text(child)) << '\n';
        if (tree.image(child) == kBranchImage && level < most_levels)
            print_names(browse, child, level + 1, most_levels);
    }
}

}  // namespace

std::string computer_text(const std::string &host) { return host.empty() ? "this computer" : host; }

void name_server(ServerConfig &config, const std::string &server, const std::string &host) {
    (!server.empty() && server.front() == '{' ? config.clsid : config.progid) = server;
    config.hostname = host;
}

void report_not_created(const ServerConfig &config, const std::string &prefix, std::ostream &out) {
    out << prefix << config.identity_text() << " on " << computer_text(config.hostname)
        << ": the server cannot be created\n";
}

bool report_opened(const HeadlessBrowse &browse, const ServerConfig &config, const std::string &prefix,
                   std::ostream &out) {
    if (browse.opened() == HeadlessBrowse::Opened::browsing) return true;
    if (browse.opened() == HeadlessBrowse::Opened::not_created) report_not_created(config, prefix, out);
    else
        out << prefix << config.identity_text() << " on " << computer_text(config.hostname)
            << ": the server has no address space to browse\n";
    return false;
}

int run_browse(const Args &args) {
    const int most_levels = depth_of(args);
    ComApartment com;  // declared first: left last
    if (!com.entered("browse")) return kFailure;
    RecordRef<ServerConfig> config(new ServerConfig);
    name_server(*config, args.positional[0], args.host);
    HeadlessBrowse browse(*config);
    if (!report_opened(browse, *config, "tagcfg browse: ", std::cerr)) return kUnreachable;

    if (args.ids) {
        std::unordered_set<std::string> printed;  // exact duplicates once; case makes no duplicate
        const CollectEnd end = browse.view().collect_item_ids(
            browse.root(),
            [&](const std::string &id) {
                if (printed.insert(id).second) std::cout << quote_if_needed(id) << '\n';
            },
            {}, most_levels);
        if (end == CollectEnd::name_limit) {
            std::cerr << "tagcfg browse: the server gave more names than one walk reads; the list is cut\n";
            return kFailure;
        }
    } else {
        print_names(browse, browse.root(), 0, most_levels);
    }
    if (browse.browsing()) return kSuccess;
    std::cerr << "tagcfg browse: the server stopped answering; what was printed is cut\n";
    return kUnreachable;
}

}  // namespace tagcfg::cli
