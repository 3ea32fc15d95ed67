#include "dialogs/server_list_dialog.h"

#include <cstdio>
#include <string>

#include "dialogs/server_picker_dialog.h"
#include "opc/opc_util.h"
#include "resource_ids.h"

namespace tagcfg {

namespace {

constexpr int kColumnPercent[] = {13, 30, 17, 40};

using ui::EventKind;

}  // namespace

int ServerListDialog::template_id() const { return IDD_SERVER_LIST; }

const std::vector<ServerListDialog::TableRow> &ServerListDialog::events() {
    static const std::vector<TableRow> table = {
        {EventKind::init, 0, &ServerListDialog::initialise},
        {EventKind::command, IDC_ADD_SERVER, &ServerListDialog::add},
        {EventKind::command, IDC_CHANGE_SERVER, &ServerListDialog::change},
        {EventKind::command, IDC_REMOVE_SERVER, &ServerListDialog::remove},
        {EventKind::command, ui::kIdOk, &ServerListDialog::confirm},
        {EventKind::command, ui::kIdCancel, &ServerListDialog::exit},
        {EventKind::list_item_changed, IDC_SERVER_LIST, &ServerListDialog::item_changed},
        {EventKind::double_clicked, IDC_SERVER_LIST, &ServerListDialog::confirm},
    };
    return table;
}

void ServerListDialog::initialise(ui::DialogWindow &window, const ui::Event &) {
    ui::ListView &list = window.list(IDC_SERVER_LIST);
    list.set_full_row_select();
    list.use_shared_images();
    std::string titles = window.load_string(IDS_SERVER_COLUMNS, kCaptionText);
    for (int percent : kColumnPercent) {
        size_t bar = titles.find('|');
        list.add_column(titles.substr(0, bar), percent);
        titles = bar == std::string::npos ? std::string() : titles.substr(bar + 1);
    }
    for (int index = 0; index < slot_count(); ++index) fill_row(window, index);
    if (server_number_ >= 0 && server_number_ < slot_count()) list.select(server_number_);
    update_buttons(window);
    window.focus(IDC_SERVER_LIST);
}

void ServerListDialog::fill_row(ui::DialogWindow &window, int index) {
    ui::ListView &list = window.list(IDC_SERVER_LIST);
    const ServerConfig *config = server_at(&env_, index);
    char number[kCaptionText];
    std::snprintf(number, sizeof number, "OPC%d", index);
    int image = config ? IMAGE_OPC_SERVER : IMAGE_EMPTY_SERVER_SLOT;
    if (index >= list.count()) {
        list.insert(index, number, image);
    } else {
        list.set_cell(index, 0, number);
        list.set_image(index, image);
    }
    list.set_cell(index, 1, config ? config->identity_text() : window.load_string(IDS_NOT_CONFIGURED, kCaptionText));
    list.set_cell(index, 2, config ? config->hostname : std::string());
    list.set_cell(index, 3, config ? config->description : std::string());
}

void ServerListDialog::update_buttons(ui::DialogWindow &window) {
    int row = window.list(IDC_SERVER_LIST).selected();
    window.enable(ui::kIdOk, row >= 0);
    window.enable(IDC_CHANGE_SERVER, row >= 0);
    window.enable(IDC_REMOVE_SERVER, configured(row));
    // A slot beyond the highest number a set's files can have would be saved under a name that no
    // load takes back.
    window.enable(IDC_ADD_SERVER, can_add());
}

void ServerListDialog::item_changed(ui::DialogWindow &window, const ui::Event &) { update_buttons(window); }

bool ServerListDialog::agreed_to_change(ui::DialogWindow &window, unsigned default_button) {
    return window.message_box(window.load_string(IDS_CONFIRM_SERVER_CHANGE, kMessageText),
                              window.load_string(IDS_WARNING_CAPTION, kCaptionText),
                              ui::kMbYesNo | ui::kMbIconExclamation | default_button) == ui::kIdYes;
}

void ServerListDialog::add(ui::DialogWindow &window, const ui::Event &) {
    ui::ListView &list = window.list(IDC_SERVER_LIST);
    if (!can_add()) return;
    // Always a new slot after the last: an empty slot is filled only through Change.
    int index = list.count();
    add_or_change(window, index);
    if (index < list.count()) list.select(index);
    update_buttons(window);
}

void ServerListDialog::change(ui::DialogWindow &window, const ui::Event &) {
    int row = window.list(IDC_SERVER_LIST).selected();
    if (row >= 0) add_or_change(window, row);
}

void ServerListDialog::add_or_change(ui::DialogWindow &window, int index) {
    ServerPickerDialog picker;
    if (pickers_.run(picker, window) != ui::kIdOk || !picker.picked()) return;
    if (configured(index) && !agreed_to_change(window, 0)) return;

    const ServerNode &picked = *picker.picked();
    RecordRef<ServerConfig> config(new ServerConfig);
    config->modified = true;
    // A server without a usable CLSID is known by its ProgID alone; the null GUID written out
    // would name no server at all.
    if (picked.clsid != platform::Guid()) clsid_to_text(picked.clsid, config->clsid);
    config->progid = picked.progid;
    config->hostname = picked.computer_name;
    config->description = picked.description;

    if (index >= slot_count()) env_.servers.resize(static_cast<size_t>(index) + 1);
    // The old record goes with its channels: they were bound to the old server.
    env_.servers[static_cast<size_t>(index)] = config;
    fill_row(window, index);
}

void ServerListDialog::remove(ui::DialogWindow &window, const ui::Event &) {
    ui::ListView &list = window.list(IDC_SERVER_LIST);
    int row = list.selected();
    if (!configured(row) || !agreed_to_change(window, ui::kMbDefButton2)) return;
    remove_server(env_, row);
    if (row < slot_count()) {
        fill_row(window, row);
    } else {
        // Removing the last slot takes the empty slots before it along.
        while (list.count() > slot_count()) list.erase(slot_count());
    }
    update_buttons(window);
}

void ServerListDialog::confirm(ui::DialogWindow &window, const ui::Event &) {
    int row = window.list(IDC_SERVER_LIST).selected();
    if (!configured(row)) return;
    server_number_ = row;
    window.end(ui::kIdOk);
}

void ServerListDialog::exit(ui::DialogWindow &window, const ui::Event &) {
    server_number_ = -1;
    window.end(ui::kIdCancel);
}

}  // namespace tagcfg
