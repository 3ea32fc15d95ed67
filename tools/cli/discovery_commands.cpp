// What an integrator asks of servers without opening a dialog: which are registered, what their
// address spaces hold, and whether a set's bindings still name items that exist.
#include <iostream>
#include <string>
#include <unordered_set>

#include "com_apartment.h"
#include "command.h"
#include "discovery.h"
#include "model/channel.h"
#include "model/environment.h"
#include "opc/headless_browse.h"
#include "text_escape.h"

namespace tagcfg::cli {

namespace {

// --depth: how many levels below the root are opened; the browse view never goes further.
int parse_depth(const std::string &text) {
    if (text.empty()) return kMostBrowseLevels;
    const int depth = parse_number(text, "N");
    if (depth < 0 || depth > kMostBrowseLevels)
        throw UsageError("--depth must be from 0 to " + std::to_string(kMostBrowseLevels));
    return depth;
}

std::string computer_text(const std::string &host) { return host.empty() ? "this computer" : host; }

// Says why a server cannot be browsed; true when it can.
bool report_opened(const HeadlessBrowse &browse, const ServerConfig &config, const std::string &prefix,
                   std::ostream &out) {
    if (browse.opened() == HeadlessBrowse::Opened::browsing) return true;
    out << prefix << config.identity_text() << " on " << computer_text(config.hostname)
        << (browse.opened() == HeadlessBrowse::Opened::not_created ? ": the server cannot be created\n"
                                                                   : ": the server has no address space to browse\n");
    return false;
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

VerifyTotals verify_bindings(Environment &env, int only, std::ostream &out) {
    VerifyTotals totals;
    for (size_t number = 0; number < env.servers.size(); ++number) {
        ServerConfig *config = env.servers[number].get();
        if (!config || (only >= 0 && number != static_cast<size_t>(only))) continue;
        ++totals.servers;
        const std::string label = "OPC" + std::to_string(number);
        HeadlessBrowse browse(*config);
        if (!report_opened(browse, *config, label + " ", out)) {
            ++totals.unreachable;
            continue;
        }
        for (const Channel *channel = config->channels.first(); channel; channel = channel->next()) {
            if (!is_binding(*channel)) continue;
            const bool held = browse.holds_item(channel->item_id.str());
            if (!browse.browsing()) {  // the answer came from a server that has gone
                out << label << ' ' << config->identity_text() << ": the server stopped answering; the rest of its "
                    << "channels are not checked\n";
                ++totals.unreachable;
                break;
            }
            ++totals.channels;
            if (held) continue;
            ++totals.missing;
            out << label << ' '
                << (channel->channel_id >= 0 ? std::to_string(channel->channel_id) : channel->channel_name.str()) << ' '
                << channel->item_id << ": not in the server's address space\n";
        }
    }
    return totals;
}

int run_browse(const Args &args) {
    const int most_levels = parse_depth(args.depth);
    ComApartment com;  // declared first: left last
    if (!com.entered()) return kFailure;
    const std::string &server = args.positional[0];
    RecordRef<ServerConfig> config(new ServerConfig);
    (!server.empty() && server.front() == '{' ? config->clsid : config->progid) = server;
    config->hostname = args.host;
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

int run_verify(const Args &args) {
    int only = -1;
    if (args.positional.size() > 2) {
        only = parse_number(args.positional[2], "SERVER-NUMBER");
        if (only < 0) throw UsageError("SERVER-NUMBER must not be negative");
    }
    ComApartment com;  // declared first: left last, after the set's server objects
    if (!com.entered()) return kFailure;
    Environment env;
    if (!load_cleanly(env, args, "verify")) return kFailure;
    if (only >= 0 && !server_at(&env, only)) {
        std::cerr << "tagcfg verify: the set has no server " << only << "\n";
        return kFailure;
    }
    const VerifyTotals totals = verify_bindings(env, only, std::cout);
    std::cout << totals.channels << " channels checked on " << totals.servers << " servers: " << totals.missing
              << " not in the address space, " << totals.unreachable << " servers not reached\n";
    return totals.unreachable ? kUnreachable : totals.missing ? kFailure : kSuccess;
}

}  // namespace tagcfg::cli
