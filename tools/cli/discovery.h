// Whether a set's bindings still name items their servers have: the check behind "verify",
// which benchmarks run too.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace tagcfg {
struct Environment;
}

namespace tagcfg::cli {

// What a verify found.
struct VerifyTotals {
    size_t servers = 0;      // servers asked
    size_t unreachable = 0;  // of them, not connected, not browsable, or lost on the way
    size_t channels = 0;     // bindings checked
    size_t missing = 0;      // of them, not in their server's address space
};

// Checks every binding of one server (only >= 0) or of every server of the set, printing a line
// per item that is missing and per server that cannot be reached.
VerifyTotals verify_bindings(Environment &env, int only, std::ostream &out);

}  // namespace tagcfg::cli
