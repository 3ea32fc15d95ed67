#include "dialogs/server_picker_dialog.h"

#include "dialogs/wait_cursor.h"
#include "opc/server_catalog.h"
#include "resource_ids.h"

namespace tagcfg {

namespace {

constexpr intptr_t kNoNetworkNode = -1;  // the item data of a tree item that no network node backs

// How many names the network walk reads before it gives up: a network that keeps answering must
// not hold the dialog for ever. What was read by then stays in the tree.
constexpr size_t kMostNetworkEntries = 1000000;

using ui::EventKind;

const char *skip_backslashes(const char *name) {
    if (name)
        while (*name == '\\') ++name;
    return name;
}

}  // namespace

NetworkNode::NetworkNode(const platform::NetworkResource &found)
    : resource(found), remote_name_(found.remote_name ? found.remote_name : ""),
      provider_(found.provider ? found.provider : "") {
    resource.remote_name = found.remote_name ? remote_name_.c_str() : nullptr;
    resource.provider = found.provider ? provider_.c_str() : nullptr;
}

int ServerPickerDialog::template_id() const { return IDD_SERVER_PICKER; }

const std::vector<ServerPickerDialog::TableRow> &ServerPickerDialog::events() {
    static const std::vector<TableRow> table = {
        {EventKind::init, 0, &ServerPickerDialog::initialise},
        {EventKind::command, ui::kIdOk, &ServerPickerDialog::confirm},
        {EventKind::command, ui::kIdCancel, &ServerPickerDialog::cancel},
        {EventKind::selection_changed, IDC_PICKER_TREE, &ServerPickerDialog::selection_changed},
        {EventKind::double_clicked, IDC_PICKER_TREE, &ServerPickerDialog::confirm},
        {EventKind::node_expanding, IDC_PICKER_TREE, &ServerPickerDialog::expanding},
    };
    return table;
}

void ServerPickerDialog::initialise(ui::DialogWindow &window, const ui::Event &event) {
    ui::Tree &tree = window.tree(IDC_PICKER_TREE);
    tree.use_shared_images();
    server_nodes_.clear();
    network_nodes_.clear();
    tree.clear();
    tree.insert(nullptr, window.load_string(IDS_MY_COMPUTER, kCaptionText), IMAGE_MY_COMPUTER, 1, kNoNetworkNode);
    tree.insert(nullptr, window.load_string(IDS_NETWORK_NEIGHBOURHOOD, kCaptionText), IMAGE_NETWORK_NEIGHBOURHOOD, 1,
                kNoNetworkNode);
    selection_changed(window, event);
    window.focus(IDC_PICKER_TREE);
}

ServerNode *ServerPickerDialog::caret_server(ui::Tree &tree) const {
    ui::TreeNode caret = tree.selection();
    if (!caret || tree.image(caret) != IMAGE_OPC_SERVER) return nullptr;
    intptr_t index = tree.data(caret);
    if (index < 0 || static_cast<size_t>(index) >= server_nodes_.size()) return nullptr;
    return server_nodes_[static_cast<size_t>(index)].get();
}

void ServerPickerDialog::confirm(ui::DialogWindow &window, const ui::Event &) {
    ServerNode *server = caret_server(window.tree(IDC_PICKER_TREE));
    if (!server) return;
    selected_ = RecordRef<ServerNode>(server);
    window.end(ui::kIdOk);
}

void ServerPickerDialog::cancel(ui::DialogWindow &window, const ui::Event &) { window.end(ui::kIdCancel); }

void ServerPickerDialog::selection_changed(ui::DialogWindow &window, const ui::Event &) {
    window.enable(ui::kIdOk, caret_server(window.tree(IDC_PICKER_TREE)) != nullptr);
}

void ServerPickerDialog::expanding(ui::DialogWindow &window, const ui::Event &event) {
    ui::Tree &tree = window.tree(IDC_PICKER_TREE);
    ui::TreeNode item = event.node;
    if (!item || tree.expanded_once(item)) return;
    int added;
    switch (tree.image(item)) {
    case IMAGE_MY_COMPUTER: added = registry_walk(window, item, nullptr); break;
    case IMAGE_COMPUTER: {
        std::string computer = tree.text(item).substr(0, kNameText - 1);
        added = registry_walk(window, item, &computer);
        break;
    }
    default: added = network_walk(window, item, tree.data(item)); break;
    }
    // A walk that found nothing takes the expand button away, and the item is not read again.
    tree.mark_expanded_once(item, added);
}

int ServerPickerDialog::registry_walk(ui::DialogWindow &window, ui::TreeNode parent, const std::string *computer) {
    WaitCursor wait(window);
    ui::Tree &tree = window.tree(IDC_PICKER_TREE);
    int added = 0;
    auto add = [&](FoundServer found) {
        RecordRef<ServerNode> node(new ServerNode);
        node->computer_name = computer ? *computer : std::string();
        node->progid = std::move(found.progid);
        node->clsid = found.clsid;
        node->description = std::move(found.description);
        tree.insert(parent, node->description.empty() ? node->progid : node->description, IMAGE_OPC_SERVER, 0,
                    static_cast<intptr_t>(server_nodes_.size()));
        server_nodes_.push_back(std::move(node));
        ++added;
    };
    // Only another computer's registry can be out of reach (its remote registry service is often
    // off); its server browser is then asked instead.
    if (registry_servers(computer, add) == CatalogResult::unreachable) browser_servers(computer, add);
    return added;
}

int ServerPickerDialog::network_walk(ui::DialogWindow &window, ui::TreeNode parent, intptr_t container) {
    WaitCursor wait(window);
    bool known = container >= 0 && static_cast<size_t>(container) < network_nodes_.size();
    auto enumeration =
        platform::open_network_enumeration(known ? &network_nodes_[static_cast<size_t>(container)]->resource : nullptr);
    if (!enumeration) return 0;

    ui::Tree &tree = window.tree(IDC_PICKER_TREE);
    int added = 0;
    size_t read = 0;
    std::vector<platform::NetworkResource> entries;
    while (read < kMostNetworkEntries && enumeration->next(entries)) {
        for (const platform::NetworkResource &entry : entries) {
            if (read == kMostNetworkEntries) break;
            ++read;
            const char *name = skip_backslashes(entry.remote_name);
            std::string text = name ? name : "";
            int image;
            switch (entry.display_type) {
            case platform::kDisplayDomain: image = IMAGE_DOMAIN; break;
            case platform::kDisplayNetwork: image = IMAGE_NETWORK; break;
            case platform::kDisplayServer: image = IMAGE_COMPUTER; break;
            case platform::kDisplayRoot:
                image = IMAGE_ENTIRE_NETWORK;
                text = window.load_string(IDS_ENTIRE_NETWORK, kCaptionText);
                break;
            default: continue;  // shares, files, groups and the like are not offered
            }
            bool computer = image == IMAGE_COMPUTER;
            tree.insert(parent, text, image, 1,
                        computer ? kNoNetworkNode : static_cast<intptr_t>(network_nodes_.size()));
            if (!computer) network_nodes_.push_back(RecordRef<NetworkNode>(new NetworkNode(entry)));
            ++added;
        }
    }
    return added;
}

}  // namespace tagcfg
