// The OPC servers of a computer, found as the server picker finds them (its registry, else its OPC
// server browser), or asked of its OPC server browser alone.
#include <iostream>
#include <string>

#include "com_apartment.h"
#include "command.h"
#include "opc/opc_util.h"
#include "opc/server_catalog.h"

namespace tagcfg::cli {

namespace {

// A field of a line with tab-separated fields: a tab or a line break inside it would make a field
// or a line of its own, so it becomes a blank.
std::string field(std::string text) {
    for (char &c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return text;
}

}  // namespace

int run_list_servers(const Args &args) {
    ComApartment com;
    if (!com.entered("list-servers")) return kFailure;
    const std::string *computer = args.positional.empty() ? nullptr : &args.positional[0];
    const std::string where = computer ? *computer : "this computer";
    size_t found = 0;
    const auto print = [&found](const FoundServer &server) {
        std::string clsid;  // empty when the registry gave none that converts
        if (server.clsid != platform::Guid()) clsid_to_text(server.clsid, clsid);
        std::cout << field(server.progid) << '\t' << clsid << '\t' << field(server.description) << '\n';
        ++found;
    };
    // As the server picker does, a computer whose registry is out of reach is asked through its
    // server browser; --browser asks the browser alone.
    const bool registry_reached = !args.browser && registry_servers(computer, print) == CatalogResult::found;
    if (!registry_reached && browser_servers(computer, print) == CatalogResult::unreachable) {
        std::cerr << "tagcfg list-servers: "
                  << (args.browser
                          ? "the OPC server browser of " + where + " cannot be reached\n"
                          : "neither the registry nor the OPC server browser of " + where + " can be reached\n");
        return kUnreachable;
    }
    if (found > 0) return kSuccess;
    std::cerr << "tagcfg list-servers: no OPC server found on " << where << "\n";
    return kFailure;
}

}  // namespace tagcfg::cli
