// One configured OPC server: its identity, its channels with their two indexes, and the server
// object a dialog connected to it (kept until the host changes or the record is reset).
#pragma once

#include <string>

#include "model/channel.h"
#include "model/counted_record.h"
#include "model/hash_index.h"

namespace tagcfg {

namespace platform {
struct ServerObject;
}

class ServerConfig : public CountedRecord {
public:
    ServerConfig() = default;

    platform::ServerObject *server_object = nullptr;  // owned: one reference, given back by disconnect_server
    std::string clsid;                                // braced registry form, or empty
    std::string progid;
    std::string hostname;        // empty: this computer
    std::string channel_format;  // read from the file, never written back
    std::string description;
    TextArena texts;  // the channels' texts
    ChannelList channels;
    IdIndex id_index;
    NameIndex name_index;
    bool modified = false;

    // What the host and the dialogs show for the server: the ProgID, else the CLSID text.
    const std::string &identity_text() const { return progid.empty() ? clsid : progid; }

protected:
    ~ServerConfig() override;
};

// Releases the held server object, if any.
void disconnect_server(ServerConfig &config);

// Back to the state of a new record (the indexes keep their bucket counts).
void reset_server(ServerConfig &config);

}  // namespace tagcfg
