// The library never enters COM itself: the program does, on the thread that opens dialogs or
// server objects, and leaves it only after everything holding a server object has gone (declare
// it first). Elsewhere there is no COM, and the apartment is always entered.
#pragma once

#include <iostream>

#ifdef _WIN32
#include <objbase.h>
#endif

namespace tagcfg::cli {

class ComApartment {
public:
#ifdef _WIN32
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
#else
    ComApartment() = default;
#endif
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;

    // False, after telling the user, when the apartment could not be entered.
    bool entered(const char *command) const {
#ifdef _WIN32
        if (SUCCEEDED(result_)) return true;
        std::cerr << "tagcfg " << command << ": cannot enter a COM apartment (0x" << std::hex
                  << static_cast<unsigned long>(result_) << std::dec << ")\n";
        return false;
#else
        (void)command;
        return true;
#endif
    }

private:
#ifdef _WIN32
    HRESULT result_;
#endif
};

}  // namespace tagcfg::cli
