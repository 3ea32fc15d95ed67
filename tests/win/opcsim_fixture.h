// opcsim.dll for the Windows tests: registered once per run and kept loaded, and a single-threaded
// COM apartment for the cases that create servers or open dialogs, as the host's user-interface
// thread would have.
#pragma once

#include <objbase.h>
#include <windows.h>

#include "tagcfg_api.h"

namespace wintest {

// opcsim.dll from beside the program, registered once. It stays loaded for the whole run, so COM
// finds this very module by its registered path and the counters read here are the ones it bumps.
class OpcSim {
public:
    static OpcSim &get() {
        static OpcSim sim;
        return sim;
    }
    bool registered() const { return registered_; }
    long created() const { return created_ ? created_() : -1; }
    long calls() const { return calls_ ? calls_() : -1; }

private:
    using Register = HRESULT(STDAPICALLTYPE *)();
    using Counter = LONG (*)();

    OpcSim() : library_(library_path("opcsim.dll")) {
        auto do_register = library_.function<Register>("DllRegisterServer");
        registered_ = do_register && SUCCEEDED(do_register());
        created_ = library_.function<Counter>("opcsim_created_count");
        calls_ = library_.function<Counter>("opcsim_call_count");
    }

    Library library_;
    bool registered_ = false;
    Counter created_ = nullptr;
    Counter calls_ = nullptr;
};

// The calling thread inside a single-threaded apartment for the object's lifetime.
class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;

    bool entered() const { return SUCCEEDED(result_); }
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

}  // namespace wintest
