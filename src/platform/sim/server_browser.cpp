// In-memory OPC server browsers, one per computer, set up by tests.
#include <cctype>

#include "platform/server_browser.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_state.h"

namespace tagcfg::platform {

namespace {

constexpr int32_t kNotInitialised = static_cast<int32_t>(0x800401F0);      // CO_E_NOTINITIALIZED
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154);  // REGDB_E_CLASSNOTREG
constexpr int32_t kServerUnavailable = static_cast<int32_t>(0x800706BA);   // RPC_S_SERVER_UNAVAILABLE

std::string upper(std::string text) {
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::u16string widen(const std::string &text) { return std::u16string(text.begin(), text.end()); }

std::string narrow(const char16_t *text) {
    std::string out;
    for (; *text; ++text) out += static_cast<char>(*text);
    return out;
}

}  // namespace

namespace sim {

void add_browser_class(const std::string &computer, const std::string &progid, const Guid &clsid,
                       const std::string &description) {
    state().browsers[upper(computer)].classes.push_back({clsid, widen(progid), widen(description)});
}

void set_browser_unreachable(const std::string &computer) { state().browsers[upper(computer)].unreachable = true; }
void set_browser_endless(const std::string &computer) { state().browsers[upper(computer)].endless = true; }

}  // namespace sim

int32_t list_browser_classes(const char16_t *host, size_t limit, std::vector<BrowsedClass> &classes) {
    if (!sim::state().com_initialised) return kNotInitialised;
    auto found = sim::state().browsers.find(host ? upper(narrow(host)) : "");
    if (found == sim::state().browsers.end() || found->second.unreachable)
        return host ? kServerUnavailable : kClassNotRegistered;
    const sim::SimServerBrowser &browser = found->second;
    for (size_t at = 0; classes.size() < limit; ++at) {
        if (at < browser.classes.size()) {
            classes.push_back(browser.classes[at]);
            continue;
        }
        if (!browser.endless || at >= sim::kEndlessEnd) break;
        uint32_t number = static_cast<uint32_t>(at - browser.classes.size() + 1);
        classes.push_back({Guid{number, 0, 0, {}}, widen("Sim.Class." + std::to_string(number)), u""});
    }
    return 0;
}

}  // namespace tagcfg::platform
