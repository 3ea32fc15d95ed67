// Controls of the in-memory platform that native tests and tools set up directly.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/com.h"

namespace tagcfg::platform::sim {

// Makes the ANSI code page double-byte with these inclusive lead-byte ranges (for example
// {{0x81, 0x9F}, {0xE0, 0xFC}} as code page 932 has them); an empty list makes it single-byte.
void set_lead_byte_ranges(std::vector<std::pair<unsigned char, unsigned char>> ranges);

// The lead-byte ranges of code page 932.
std::vector<std::pair<unsigned char, unsigned char>> code_page_932_lead_bytes();

// Registers a ProgID for clsid_from_progid (and, as on Windows, for clsid_from_string).
void register_progid(const std::string &progid, const Guid &clsid);

// Registers a fake OPC server: its ProgID resolves to the CLSID, and creating the CLSID (on this
// computer, or remotely on a host listed with add_remote_host) serves the address space described
// in the text (see address_space/address_space.h). False when the description is not understood.
bool register_server(const std::string &progid, const Guid &clsid, const std::string &description);

// Computers other than this one on which registered servers can be created.
void add_remote_host(const std::string &host);
void set_computer_name(const std::string &name);

// Adds a key, and the keys on its path, to a computer's registry ("" is this computer) below its
// classes root ("Software\Classes" of its local machine), with the default value's bytes as given
// and, as a text value is stored, a terminating zero after them unless `terminated` is false.
// Another computer's registry is reached only under the name it was set up with.
void add_registry_key(const std::string &computer, const std::string &path, const std::string &default_value = "",
                      bool terminated = true);
// After its own keys, the computer's classes root lists new key names (Key1, Key2, ...) that
// never end and never open, as a registry that keeps answering would.
void set_endless_keys(const std::string &computer);
// The computer's remote registry connection fails, whatever it holds; servers and the server
// browser there are still created.
void set_unreachable(const std::string &computer);

// Gives a computer ("" is this one; another is reached only under the name it was set up with) an
// OPC server browser that lists the class among the OPC Data Access servers, after those added
// before. An empty ProgID stands for a class the browser gives none for.
void add_browser_class(const std::string &computer, const std::string &progid, const Guid &clsid,
                       const std::string &description);
// Creating the computer's server browser fails, whatever it holds.
void set_browser_unreachable(const std::string &computer);
// After its own classes, the computer's server browser lists Sim.Class.1, Sim.Class.2, ... that
// never end.
void set_browser_endless(const std::string &computer);

// Adds an entry to the network inside a container, named by its remote name ("" is this
// computer's own neighbourhood); a display type from platform/network.h. An empty remote name is
// enumerated as null, and such a container is named by its provider instead.
void add_network_entry(const std::string &container, uint32_t display_type, const std::string &remote_name,
                       const std::string &provider = "Sim Network");
// After its own entries, every network enumeration goes on for ever with computers PC1, PC2, ...
void set_network_endless(bool endless);
// Every network enumeration fails to open.
void set_network_failing(bool failing);

// The server "dies": every object made so far (server objects, their browse interfaces and
// enumerators) answers each call with RPC_E_DISCONNECTED from now on; later ones are alive.
void kill_server_objects();
// The same, later: just before the first call the log would name `call` ("item B", "validate 2").
void kill_server_objects_at(const std::string &call);

// Whether the thread has entered COM; creation fails without it (as on Windows).
void set_com_initialised(bool initialised);

// What the platform saw, for tests that check which calls were made.
struct OpcCalls {
    int creations = 0;  // create_local_server + create_remote_server
    int local_creations = 0;
    int remote_creations = 0;
    std::string last_remote_host;
    int live_server_objects = 0;  // created and not yet released
    int change_position = 0;
    int browse_item_ids = 0;
    int get_item_id = 0;
    int enumerator_next = 0;
    int live_task_strings = 0;      // handed out and not yet released
    int enum_keys = 0;              // registry key names asked for
    int live_groups = 0;            // added and not yet removed
    int groups_removed_in_use = 0;  // removed while an interface of theirs was still held
    int item_calls = 0;             // ValidateItems, AddItems, RemoveItems and Read
    size_t most_items_per_call = 0;
    // While logging is on, every call on a browse interface or one of its enumerators, in order:
    // "organization", "up", "down NAME", "browse branch|leaf|flat", "next NAME" ("next end" when
    // the enumeration is over, "next null" for a success without a name, "next dead" on an
    // object of a server that has gone), "item NAME"; and on the server object and its groups
    // "group", "ungroup", and "validate N", "add N", "remove N", "read N" with the items' count.
    bool logging = false;
    std::vector<std::string> log;
};
OpcCalls &opc_calls();

// Back to a single-byte code page, an empty registry, no servers and zero counts.
void reset();

}  // namespace tagcfg::platform::sim
