// opcsim.dll for the Windows tests: registered once per run and kept loaded, and a single-threaded
// COM apartment for the cases that create servers or open dialogs, as the host's user-interface
// thread would have.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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
    // Every opcsim object alive now "dies": its calls answer RPC_E_DISCONNECTED from now on.
    bool kill_objects() const {
        if (kill_) kill_();
        return kill_ != nullptr;
    }

private:
    using Register = HRESULT(STDAPICALLTYPE *)();
    using Counter = LONG (*)();
    using Kill = void (*)();

    OpcSim() : library_(library_path("opcsim.dll")) {
        auto do_register = library_.function<Register>("DllRegisterServer");
        registered_ = do_register && SUCCEEDED(do_register());
        created_ = library_.function<Counter>("opcsim_created_count");
        calls_ = library_.function<Counter>("opcsim_call_count");
        kill_ = library_.function<Kill>("opcsim_kill_objects");
    }

    Library library_;
    bool registered_ = false;
    Counter created_ = nullptr;
    Counter calls_ = nullptr;
    Kill kill_ = nullptr;
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

// A project of opcsim servers loaded through tagcfg.dll, on a thread inside an apartment, as the
// host opens its dialogs.
class OpcProject : public ::testing::Test {
protected:
    // Writes plant_opc<slot>.cnf with each slot's header fields and channels, then loads "plant".
    void load(const std::vector<std::pair<int, std::string>> &servers) {
        ASSERT_TRUE(OpcSim::get().registered()) << "opcsim.dll is missing or its DllRegisterServer failed";
        ASSERT_TRUE(com_.entered()) << std::hex << com_.result();
        ASSERT_TRUE(api_.complete() && dir_.ok());
        for (const auto &server : servers)
            ASSERT_TRUE(write_bytes(file(server.first), "%%OPC_SERVER_CONFIG\r\n\r\n" + server.second));
        env_ = api_.tagcfg_init_environment();
        ASSERT_EQ(api_.tagcfg_load(env_, dir_.path().c_str(), "plant"), 0);
    }
    // Before the apartment goes: the environment still holds the server objects the dialogs made.
    void TearDown() override {
        if (env_) api_.tagcfg_free_environment(env_);
    }
    std::string file(int slot) const { return dir_.path() + "\\plant_opc" + std::to_string(slot) + ".cnf"; }
    template <typename Function>
    Function function(const char *name) const {
        return api_.library.function<Function>(name);
    }

    ComApartment com_;  // first in, last out
    TagcfgApi api_;
    ScratchDirectory dir_;
    tagcfg_environment *env_ = nullptr;
};

}  // namespace wintest
