// verify: whether every binding of a set names an item its server has, as the server itself
// answers (ValidateItems through a private group) or, for a server that gives no group, as the
// channel setup dialog finds it by walking the address space.
#include <iostream>
#include <string>
#include <vector>

#include "com_apartment.h"
#include "command.h"
#include "discovery.h"
#include "item_text.h"
#include "model/channel_table.h"
#include "model/environment.h"
#include "opc/connect.h"
#include "opc/headless_browse.h"
#include "opc/private_group.h"
#include "project.h"
#include "text_escape.h"

namespace tagcfg::cli {

namespace {

std::string channel_text(const Channel &channel) {
    return channel.channel_id >= 0 ? std::to_string(channel.channel_id) : quote_if_needed(channel.channel_name.str());
}

// The line that says a binding was not found or not read.
void report_binding(const std::string &label, const Channel &channel, const std::string &why, std::ostream &out) {
    out << label << ' ' << channel_text(channel) << ' ' << quote_if_needed(channel.item_id.str()) << ": " << why
        << '\n';
}

void report_stopped(const std::string &label, const ServerConfig &config, std::ostream &out) {
    out << label << ' ' << config.identity_text() << ": the server stopped answering; the rest of its channels are "
        << "not checked\n";
}

// Checks the bindings with the server's own answers; false, having asked nothing else, when the
// server gives no group to ask through.
bool ask_server(const std::string &label, ServerConfig &config, const std::vector<const Channel *> &bindings,
                const VerifyOptions &options, VerifyTotals &totals, std::ostream &out) {
    PrivateGroup group(config);
    if (!group.opened() && !group.lost()) return false;
    std::vector<ItemName> names, found;
    for (const Channel *channel : bindings) names.push_back({channel->item_id.str(), channel->access_path.str()});
    const std::vector<ItemCheck> checks = group.validate(names);
    for (size_t i = 0; i < bindings.size(); ++i)
        if (checks[i].error >= 0) found.push_back(names[i]);
    const std::vector<ItemReading> readings =
        options.read && !found.empty() ? group.read(found) : std::vector<ItemReading>();
    size_t next_reading = 0;
    for (size_t i = 0; i < bindings.size(); ++i) {
        const Channel &channel = *bindings[i];
        const ItemCheck &check = checks[i];
        if (is_dead_object_result(check.error)) break;  // nothing after it was answered
        if (check.error < 0) {
            ++totals.channels;
            ++(check.error == kOpcUnknownItemId || check.error == kOpcInvalidItemId ? totals.missing : totals.refused);
            report_binding(label, channel, item_error_text(check.error), out);
            continue;
        }
        const ItemReading *reading = options.read ? &readings[next_reading++] : nullptr;
        if (reading && is_dead_object_result(reading->error)) break;
        ++totals.channels;
        if (reading && (reading->error < 0 || is_bad_quality(reading->quality))) ++totals.bad;
        if (reading && reading->error < 0) {
            report_binding(label, channel, "not read: " + item_error_text(reading->error), out);
            continue;
        }
        if (!options.types && !reading) continue;
        out << label << '\t' << channel_text(channel) << '\t' << quote_if_needed(channel.item_id.str());
        if (options.types)
            out << '\t' << vartype_name(check.canonical_type) << '\t' << rights_text(check.access_rights);
        if (reading) out << '\t' << reading_text(*reading);
        out << '\n';
    }
    if (group.lost()) {
        report_stopped(label, config, out);
        ++totals.unreachable;
    }
    return true;
}

// Finds each binding the way the channel setup dialog opens its tree: found only when the walk
// ends on a leaf whose item ID, as the server gives it, is the binding's byte for byte.
void walk_server(const std::string &label, ServerConfig &config, const std::vector<const Channel *> &bindings,
                 VerifyTotals &totals, std::ostream &out) {
    ++totals.walked;
    HeadlessBrowse browse(config);
    if (!report_opened(browse, config, label + " ", out)) {
        ++totals.unreachable;
        return;
    }
    for (const Channel *channel : bindings) {
        const bool held = browse.holds_item(channel->item_id.str());
        if (!browse.browsing()) {  // the answer came from a server that has gone
            report_stopped(label, config, out);
            ++totals.unreachable;
            return;
        }
        ++totals.channels;
        if (held) continue;
        ++totals.missing;
        report_binding(label, *channel, "not in the server's address space", out);
    }
}

}  // namespace

VerifyTotals verify_bindings(Environment &env, const VerifyOptions &options, std::ostream &out) {
    VerifyTotals totals;
    for (size_t number = 0; number < env.servers.size(); ++number) {
        ServerConfig *config = env.servers[number].get();
        if (!config || (options.only >= 0 && number != static_cast<size_t>(options.only))) continue;
        ++totals.servers;
        const std::string label = "OPC" + std::to_string(number);
        std::vector<const Channel *> bindings;
        for (const Channel &channel : config->channels())
            if (is_binding(channel)) bindings.push_back(&channel);
        if (!options.browse) {
            if (!connect_server(*config)) {
                report_not_created(*config, label + " ", out);
                ++totals.unreachable;
                continue;
            }
            if (ask_server(label, *config, bindings, options, totals, out)) continue;
        }
        walk_server(label, *config, bindings, totals, out);
    }
    return totals;
}

int run_verify(const Args &args) {
    VerifyOptions options;
    options.browse = args.browse;
    options.types = args.types;
    options.read = args.read;
    if (args.positional.size() > 2) {
        options.only = parse_number(args.positional[2], "SERVER-NUMBER");
        if (options.only < 0) throw UsageError("SERVER-NUMBER must not be negative");
    }
    ComApartment com;  // declared first: left last, after the set's server objects
    if (!com.entered("verify")) return kFailure;
    Project project(args, "verify");
    if (!project.load(Project::Access::read, Project::Needs::files)) return kFailure;
    Environment &env = project.env();
    if (options.only >= 0 && !server_at(&env, options.only)) {
        std::cerr << "tagcfg verify: the set has no server " << options.only << "\n";
        return kFailure;
    }
    const VerifyTotals totals = verify_bindings(env, options, std::cout);
    std::cout << totals.channels << " channels checked on " << totals.servers << " servers: " << totals.missing
              << " not in the address space";
    if (totals.refused) std::cout << ", " << totals.refused << " refused by the server";
    if (options.read) std::cout << ", " << totals.bad << " not read or of bad quality";
    std::cout << ", " << totals.unreachable << " servers not reached";
    if (totals.walked) std::cout << "; " << totals.walked << " servers checked by walking their address space";
    std::cout << '\n';
    if (totals.unreachable) return kUnreachable;
    return totals.missing || totals.refused || totals.bad ? kFailure : kSuccess;
}

}  // namespace tagcfg::cli
