// read: items read once from the device through a private group, as a commissioning engineer
// asks before a plant goes live whether each delivers a value of good quality.
#include <iostream>
#include <string>
#include <vector>

#include "com_apartment.h"
#include "command.h"
#include "discovery.h"
#include "item_text.h"
#include "model/server_config.h"
#include "opc/connect.h"
#include "opc/private_group.h"
#include "text_escape.h"

namespace tagcfg::cli {

int run_read(const Args &args) {
    ComApartment com;  // declared first: left last, after the server object
    if (!com.entered("read")) return kFailure;
    RecordRef<ServerConfig> config(new ServerConfig);
    name_server(*config, args.positional[0], args.host);
    if (!connect_server(*config)) {
        report_not_created(*config, "tagcfg read: ", std::cerr);
        return kUnreachable;
    }
    std::vector<ItemName> items;
    for (size_t i = 1; i < args.positional.size(); ++i) items.push_back({args.positional[i], args.path});
    std::vector<ItemReading> readings;
    {
        PrivateGroup group(*config);  // removed before the server object goes
        if (!group.opened() && !group.lost()) {
            std::cerr << "tagcfg read: " << config->identity_text() << " on " << computer_text(config->hostname)
                      << ": the server gives no group to read through (" << result_text(group.add_result()) << ")\n";
            return kFailure;
        }
        readings = group.read(items);
    }
    int status = kSuccess;
    for (size_t i = 0; i < items.size(); ++i) {
        const ItemReading &reading = readings[i];
        const std::string id = quote_if_needed(items[i].item_id);
        if (is_dead_object_result(reading.error)) {
            std::cerr << "tagcfg read: " << config->identity_text() << ": the server stopped answering\n";
            return kUnreachable;
        }
        if (reading.error < 0) {
            std::cerr << "tagcfg read: " << id << ": " << item_error_text(reading.error) << '\n';
            status = kFailure;
            continue;
        }
        std::cout << id << '\t' << reading_text(reading) << '\n';
        if (is_bad_quality(reading.quality)) status = kFailure;
    }
    return status;
}

}  // namespace tagcfg::cli
