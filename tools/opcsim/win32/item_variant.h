// An item's value as a VARIANT, the way a server hands it to IOPCSyncIO::Read's caller.
#pragma once

#include <objbase.h>

#include "address_space/item_state.h"

namespace opcsim {

// Fills the variant (empty on entry) with the state's value: texts as BSTRs, arrays as
// one-dimensional SAFEARRAYs from 0. The caller owns what it holds and frees it with VariantClear.
HRESULT make_variant(const ItemState &state, VARIANT &variant);

}  // namespace opcsim
