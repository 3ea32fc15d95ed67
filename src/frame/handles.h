// What the host's opaque handles stand for.
#pragma once

#include <string>
#include <vector>

#include "model/environment.h"
#include "tagcfg.h"

struct tagcfg_environment {
    tagcfg::Environment environment;
};

// The item IDs chosen in the item selection dialog, in order; the list owns its copies.
struct tagcfg_itemlist {
    std::vector<std::string> item_ids;
};
