// One configured OPC server: its identity, its channels, and the server object a dialog connected
// to it (kept until the host changes or the record is reset). The channels, their texts and their
// two indexes are the model's own: everything above reads a channel and changes one only through
// the operations of channel_table.h.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "model/channel.h"
#include "model/counted_record.h"

namespace tagcfg {

namespace platform {
struct ServerObject;
}

class ChannelTable;

// A server's channels in table order, to be read: as the file listed them, then as they were added.
class ChannelRange {
public:
    class iterator {
    public:
        iterator(const ChannelList &list, const Channel *at) : list_(&list), at_(at) {}
        const Channel &operator*() const { return *at_; }
        const Channel *operator->() const { return at_; }
        iterator &operator++() {
            at_ = list_->next(*at_);
            return *this;
        }
        bool operator!=(const iterator &other) const { return at_ != other.at_; }

    private:
        const ChannelList *list_;  // not owned: the server's list
        const Channel *at_;        // null at the end
    };

    explicit ChannelRange(const ChannelList &list) : list_(list) {}
    iterator begin() const { return {list_, list_.first()}; }
    iterator end() const { return {list_, nullptr}; }

private:
    const ChannelList &list_;  // not owned: the server's list, which outlives the range
};

class ServerConfig : public CountedRecord {
public:
    ServerConfig();

    platform::ServerObject *server_object = nullptr;  // owned: one reference, given back by disconnect_server
    std::string clsid;                                // braced registry form, or empty
    std::string progid;
    std::string hostname;        // empty: this computer
    std::string channel_format;  // read from the file, never written back
    std::string description;
    bool modified = false;

    // What the host and the dialogs show for the server: the ProgID, else the CLSID text.
    const std::string &identity_text() const { return progid.empty() ? clsid : progid; }

    ChannelRange channels() const;
    size_t channel_count() const;

protected:
    ~ServerConfig() override;

private:
    // Inline, in the model's channel_store.h: every lookup goes through them.
    friend inline ChannelTable &table_of(ServerConfig &config);
    friend inline const ChannelTable &table_of(const ServerConfig &config);
    std::unique_ptr<ChannelTable> table_;  // owned, never null
};

// Releases the held server object, if any.
void disconnect_server(ServerConfig &config);

// Back to the state of a new record (the indexes keep their bucket counts).
void reset_server(ServerConfig &config);

}  // namespace tagcfg
