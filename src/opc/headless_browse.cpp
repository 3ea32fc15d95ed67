#include "opc/headless_browse.h"

#include "opc/connect.h"

namespace tagcfg {

HeadlessBrowse::HeadlessBrowse(ServerConfig &config) {
    tree_.on_expanding = [this](ui::TreeNode node) { view_.on_expanding(node); };
    const bool connected = connect_server(config);
    root_ = view_.insert_root_node(config);
    view_.open(config, connected);
    opened_ = !connected ? Opened::not_created : view_.can_browse() ? Opened::browsing : Opened::not_browsable;
}

bool HeadlessBrowse::holds_item(const std::string &item_id) {
    const ui::TreeNode found = view_.find_item_node(item_id, root_, false);
    std::string served;
    return found && tree_.image(found) == kLeafImage && view_.item_id_of_node(found, served) && served == item_id;
}

}  // namespace tagcfg
