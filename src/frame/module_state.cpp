#include "frame/module_state.h"

namespace tagcfg {

ModuleState &module_state() {
    static ModuleState state;
    return state;
}

}  // namespace tagcfg
