#include "dialogs/dialog_host.h"

#include "platform/modal_dialog.h"

namespace tagcfg {

namespace {

class WindowHost : public DialogHost {
public:
    int run(DialogObject &dialog, ui::DialogWindow &owner) override {
        return run_dialog(dialog, owner.native_handle());
    }
};

}  // namespace

int run_dialog(DialogObject &dialog, void *parent) {
    return ui::run_modal_dialog(dialog.template_id(), parent, dialog);
}

DialogHost &window_host() {
    static WindowHost host;
    return host;
}

}  // namespace tagcfg
