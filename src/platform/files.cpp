// What the file services make of the system's calls, the same everywhere.
#include "platform/files.h"

namespace tagcfg::platform {

bool replace_file(const std::string &path, const std::string &bytes) {
    StagedFile staged;
    if (!stage_file(path, bytes, staged)) return false;
    if (commit_staged(staged)) return true;
    discard_staged(staged);
    return false;
}

}  // namespace tagcfg::platform
