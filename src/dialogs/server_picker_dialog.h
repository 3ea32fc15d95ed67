// The server picker dialog: the user points at one OPC server registered on this computer or on
// a computer of the network. It changes nothing; the server list dialog reads the picked server.
#pragma once

#include <string>
#include <vector>

#include "dialogs/dialog.h"
#include "model/counted_record.h"
#include "platform/com.h"
#include "platform/network.h"

namespace tagcfg {

// An OPC server found on a computer, in its registry or through its server browser.
class ServerNode : public CountedRecord {
public:
    std::string computer_name;  // as the user reached it; empty under "My Computer"
    std::string progid;
    platform::Guid clsid;     // the null GUID when none converts
    std::string description;  // empty when the source gives none
};

// A network container (network, domain or workgroup, entire network), kept so that it can be
// enumerated again after the enumeration that found it is closed.
class NetworkNode : public CountedRecord {
public:
    explicit NetworkNode(const platform::NetworkResource &found);
    platform::NetworkResource resource;  // its texts are the node's own copies below

private:
    std::string remote_name_;
    std::string provider_;
};

class ServerPickerDialog : public TableDialog<ServerPickerDialog> {
public:
    static const std::vector<TableRow> &events();
    int template_id() const override;

    // The server confirmed with OK, or null; it lives as long as the dialog object.
    const ServerNode *picked() const { return selected_.get(); }

private:
    void initialise(ui::DialogWindow &window, const ui::Event &event);
    void confirm(ui::DialogWindow &window, const ui::Event &event);
    void cancel(ui::DialogWindow &window, const ui::Event &event);
    void selection_changed(ui::DialogWindow &window, const ui::Event &event);
    void expanding(ui::DialogWindow &window, const ui::Event &event);

    // The server node of the tree's caret item, or null when that is not a server.
    ServerNode *caret_server(ui::Tree &tree) const;
    // Both walks return the number of items they added under the parent. The registry walk falls
    // back on the computer's server browser when its registry cannot be reached.
    int registry_walk(ui::DialogWindow &window, ui::TreeNode parent, const std::string *computer);
    int network_walk(ui::DialogWindow &window, ui::TreeNode parent, intptr_t container);

    RecordRef<ServerNode> selected_;
    std::vector<RecordRef<ServerNode>> server_nodes_;    // index = item data of a server item
    std::vector<RecordRef<NetworkNode>> network_nodes_;  // index = item data of a container item
};

}  // namespace tagcfg
