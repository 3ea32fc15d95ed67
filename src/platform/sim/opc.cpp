// Fake OPC servers for native tests: registered address spaces served through the browse seam,
// with every call counted. Task strings are malloc'ed so that leaks show under the sanitizers.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "browser.h"
#include "platform/opc.h"
#include "platform/sim/sim_state.h"

namespace tagcfg::platform {

struct ServerObject {
    std::shared_ptr<const opcsim::AddressSpace> space;
};

namespace {

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

void log_call(const std::string &call) {
    if (state().calls.logging) state().calls.log.push_back(call);
}

const char *browse_type_name(int32_t type) {
    return type == opcsim::kBranch ? "branch" : type == opcsim::kLeaf ? "leaf" : type == opcsim::kFlat ? "flat" : "other";
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
    SimEnumerator(std::vector<std::string> names, bool null_first) : names_(std::move(names)), null_(null_first) {}
    int32_t next(char16_t **name) override {
        ++state().calls.enumerator_next;
        *name = nullptr;
        if (null_) {
            null_ = false;
            log_call("next null");
            return opcsim::kOk;
        }
        if (at_ >= names_.size()) {
            log_call("next end");
            return opcsim::kFalse;
        }
        log_call("next " + names_[at_]);
        *name = task_string(names_[at_++]);
        return opcsim::kOk;
    }

private:
    std::vector<std::string> names_;
    size_t at_ = 0;
    bool null_;
};

class SimBrowseSource : public BrowseSource {
public:
    explicit SimBrowseSource(std::shared_ptr<const opcsim::AddressSpace> space)
        : space_(std::move(space)), browser_(*space_) {}
    int32_t query_organization(int32_t *namespace_type) override {
        log_call("organization");
        *namespace_type = browser_.namespace_type();
        return opcsim::kOk;
    }
    int32_t change_browse_position(int32_t direction, const char16_t *name) override {
        ++state().calls.change_position;
        log_call(direction == opcsim::kBrowseUp ? std::string("up") : "down " + narrow(name));
        return browser_.change_position(direction, narrow(name));
    }
    std::unique_ptr<NameEnumerator> browse_item_ids(int32_t type) override {
        ++state().calls.browse_item_ids;
        log_call(std::string("browse ") + browse_type_name(type));
        return std::make_unique<SimEnumerator>(browser_.browse(type), space_->null_name);
    }
    int32_t get_item_id(const char16_t *name, char16_t **item_id) override {
        ++state().calls.get_item_id;
        log_call("item " + narrow(name));
        *item_id = nullptr;
        std::string id;
        int32_t result = browser_.item_id(narrow(name), id);
        if (result == opcsim::kOk) *item_id = task_string(id);
        return result;
    }

private:
    std::shared_ptr<const opcsim::AddressSpace> space_;
    opcsim::Browser browser_;
};

int32_t create(const Guid &clsid, ServerObject **server) {
    *server = nullptr;
    if (!state().com_initialised) return kNotInitialised;
    for (const auto &entry : state().servers)
        if (entry.first == clsid) {
            *server = new ServerObject{entry.second};
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

}  // namespace sim

void release_server_object(ServerObject *server) {
    if (!server) return;
    --state().calls.live_server_objects;
    delete server;
}

void free_task_memory(void *memory) {
    if (!memory) return;
    --state().calls.live_task_strings;
    std::free(memory);
}

std::unique_ptr<BrowseSource> query_browse_source(ServerObject *server) {
    if (!server || server->space->no_browse) return nullptr;
    return std::make_unique<SimBrowseSource>(server->space);
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
