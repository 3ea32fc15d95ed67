// Fake OPC servers for native tests: registered address spaces served through the browse seam,
// with every call counted. Task strings are malloc'ed so that leaks show under the sanitizers.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "address_space/browser.h"
#include "platform/opc.h"
#include "platform/sim/sim_server.h"

namespace tagcfg::platform {

namespace {

using sim::dead;
using sim::log_call;
using sim::state;

constexpr int32_t kNotInitialised = static_cast<int32_t>(0x800401F0);  // CO_E_NOTINITIALIZED
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);
constexpr int32_t kServerUnavailable = static_cast<int32_t>(0x800706BA);

std::string narrow(const char16_t *text) {
    std::string out;
    for (; text && *text; ++text) out += static_cast<char>(*text);
    return out;
}

std::string upper(std::string text) {
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

const char *browse_type_name(int32_t type) {
    return type == opcsim::kBranch ? "branch"
           : type == opcsim::kLeaf ? "leaf"
           : type == opcsim::kFlat ? "flat"
                                   : "other";
}

char16_t *task_string(const std::string &text) {
    auto *out = static_cast<char16_t *>(std::malloc((text.size() + 1) * sizeof(char16_t)));
    for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<unsigned char>(text[i]);
    out[text.size()] = 0;
    ++state().calls.live_task_strings;
    return out;
}

class SimEnumerator : public NameEnumerator {
public:
    SimEnumerator(std::vector<std::string> names, bool null_first, int32_t endless_type)
        : names_(std::move(names)), null_(null_first), endless_type_(endless_type), born_(state().kill_epoch) {}
    int32_t next(char16_t **name) override {
        ++state().calls.enumerator_next;
        *name = nullptr;
        if (dead(born_)) {
            log_call("next dead");
            return opcsim::kDisconnected;
        }
        if (null_) {
            null_ = false;
            log_call("next null");
            return opcsim::kOk;
        }
        bool generated = at_ >= names_.size();
        if (generated && (!endless_type_ || at_ >= sim::kEndlessEnd)) {
            log_call("next end");
            return opcsim::kFalse;
        }
        std::string text =
            generated ? opcsim::Browser::generated_name(endless_type_, at_ - names_.size() + 1) : names_[at_];
        ++at_;
        log_call("next " + text);
        *name = task_string(text);
        return opcsim::kOk;
    }

private:
    std::vector<std::string> names_;
    size_t at_ = 0;
    bool null_;
    int32_t endless_type_;  // 0: the enumeration ends after the names
    uint64_t born_;
};

// The browse interface is the server object itself seen through another interface, so it lives
// and dies with that object.
class SimBrowseSource : public BrowseSource {
public:
    explicit SimBrowseSource(const ServerObject &server)
        : space_(server.space), browser_(*space_), born_(server.born) {}
    int32_t query_organization(int32_t *namespace_type) override {
        log_call("organization");
        if (dead(born_)) return opcsim::kDisconnected;
        *namespace_type = browser_.namespace_type();
        return opcsim::kOk;
    }
    int32_t change_browse_position(int32_t direction, const char16_t *name) override {
        ++state().calls.change_position;
        log_call(direction == opcsim::kBrowseUp ? std::string("up") : "down " + narrow(name));
        if (dead(born_)) return opcsim::kDisconnected;
        return browser_.change_position(direction, narrow(name));
    }
    std::unique_ptr<NameEnumerator> browse_item_ids(int32_t type, int32_t *result) override {
        ++state().calls.browse_item_ids;
        log_call(std::string("browse ") + browse_type_name(type));
        if (dead(born_)) {
            *result = opcsim::kDisconnected;
            return nullptr;
        }
        std::vector<std::string> names = browser_.browse(type);
        *result = names.empty() && !browser_.endless(type) ? opcsim::kFalse : opcsim::kOk;
        return std::make_unique<SimEnumerator>(std::move(names), space_->null_name, browser_.endless(type) ? type : 0);
    }
    int32_t get_item_id(const char16_t *name, char16_t **item_id) override {
        ++state().calls.get_item_id;
        log_call("item " + narrow(name));
        *item_id = nullptr;
        if (dead(born_)) return opcsim::kDisconnected;
        std::string id;
        int32_t result = browser_.item_id(narrow(name), id);
        if (result == opcsim::kOk) *item_id = task_string(id);
        return result;
    }

private:
    std::shared_ptr<const opcsim::AddressSpace> space_;
    opcsim::Browser browser_;
    uint64_t born_;
};

int32_t create(const Guid &clsid, ServerObject **server) {
    *server = nullptr;
    if (!state().com_initialised) return kNotInitialised;
    for (const auto &entry : state().servers)
        if (entry.first == clsid) {
            *server = new ServerObject{entry.second, state().kill_epoch, {}, 1};
            ++state().calls.live_server_objects;
            return 0;
        }
    return kClassNotRegistered;
}

}  // namespace

namespace sim {

bool register_server(const std::string &progid, const Guid &clsid, const std::string &description) {
    auto space = std::make_shared<opcsim::AddressSpace>();
    if (!opcsim::parse_address_space(description, *space)) return false;
    register_progid(progid, clsid);
    state().servers.emplace_back(clsid, std::move(space));
    return true;
}

void add_remote_host(const std::string &host) { state().remote_hosts.insert(upper(host)); }
void set_computer_name(const std::string &name) { state().computer_name = name; }
void set_com_initialised(bool initialised) { state().com_initialised = initialised; }
OpcCalls &opc_calls() { return state().calls; }
void kill_server_objects() { ++state().kill_epoch; }

void kill_server_objects_at(const std::string &call) { state().kill_at = call; }

}  // namespace sim

void release_server_object(ServerObject *object) {
    if (!object) return;
    --state().calls.live_server_objects;
    delete object;
}

void free_task_memory(void *memory) {
    if (!memory) return;
    --state().calls.live_task_strings;
    std::free(memory);
}

std::unique_ptr<BrowseSource> query_browse_source(ServerObject *server, int32_t *result) {
    *result = opcsim::kNoInterface;
    if (!server) return nullptr;
    if (dead(server->born)) {
        *result = opcsim::kDisconnected;
        return nullptr;
    }
    if (server->space->no_browse) return nullptr;
    *result = 0;
    return std::make_unique<SimBrowseSource>(*server);
}

std::string computer_name() { return state().computer_name; }

int32_t create_local_server(const Guid &clsid, ServerObject **server) {
    ++state().calls.creations;
    ++state().calls.local_creations;
    return create(clsid, server);
}

int32_t create_remote_server(const Guid &clsid, const char16_t *host, ServerObject **server) {
    ++state().calls.creations;
    ++state().calls.remote_creations;
    state().calls.last_remote_host = narrow(host);
    *server = nullptr;
    if (!state().remote_hosts.count(upper(narrow(host)))) return kServerUnavailable;
    return create(clsid, server);
}

}  // namespace tagcfg::platform
