// The OPC servers of a computer, found as the server picker finds them, or asked of the
// computer's OPC server browser.
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
    if (!com.entered()) return kFailure;
    const std::string *computer = args.positional.empty() ? nullptr : &args.positional[0];
    const std::string where = computer ? *computer : "this computer";
    size_t found = 0;
    const auto print = [&found](const FoundServer &server) {
        std::string clsid;  // empty when the registry gave none that converts
        if (server.clsid != platform::Guid()) clsid_to_text(server.clsid, clsid);
        std::cout << field(server.progid) << '\t' << clsid << '\t' << field(server.description) << '\n';
        ++found;
    };
    const CatalogResult result = args.browser ? browser_servers(computer, print) : registry_servers(computer, print);
    if (result == CatalogResult::unreachable) {
        std::cerr << "tagcfg list-servers: the " << (args.browser ? "OPC server browser" : "registry") << " of "
                  << where << " cannot be reached\n";
        return kUnreachable;
    }
    if (found > 0) return kSuccess;
    std::cerr << "tagcfg list-servers: no OPC server found on " << where << "\n";
    return kFailure;
}

}  // namespace tagcfg::cli
