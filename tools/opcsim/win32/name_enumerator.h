// IEnumString over a fixed list of names, as BrowseOPCItemIDs hands it out.
#pragma once

#include <objbase.h>

#include <memory>
#include <string>
#include <vector>

namespace opcsim {

// With null_first, the enumeration (and every Reset) begins with one S_OK that carries no name,
// as a faulty server answers. With an endless browse type (not 0) it never ends: after the names
// come Browser::generated_name(type, 1), (type, 2), ... The result holds one reference; null when
// memory is short.
IEnumString *make_name_enumerator(std::vector<std::wstring> names, bool null_first, int endless_type);

}  // namespace opcsim
