// The shared library as a host sees it: loaded at run time, reached only by exported names.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

#include "tagcfg.h"

namespace {

std::set<std::string> listed_exports() {
    std::ifstream in(std::string(TAGCFG_SOURCE_DIR) + "/tests/exports.txt");
    std::set<std::string> names;
    for (std::string name; in >> name;) names.insert(name);
    return names;
}

class Library {
public:
    Library() : handle_(::dlopen(TAGCFG_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_) ::dlclose(handle_);
    }
    explicit operator bool() const { return handle_ != nullptr; }

    template <typename F>
    F *get(const char *name) const {
        return reinterpret_cast<F *>(::dlsym(handle_, name));
    }

private:
    void *handle_;
};

#define TAGCFG_FN(name) lib.get<decltype(::name)>(#name)

std::string read_all(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(CAbi, EveryListedNameIsExported) {
    Library lib;
    ASSERT_TRUE(lib) << ::dlerror();
    const auto names = listed_exports();
    ASSERT_EQ(names.size(), 23u);
    for (const auto &name : names) EXPECT_NE(lib.get<void()>(name.c_str()), nullptr) << name;
}

TEST(CAbi, NothingElseIsExported) {
    FILE *nm = ::popen("nm -D --defined-only '" TAGCFG_SHARED_LIBRARY "' 2>/dev/null", "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> defined;
    char line[1024];
    while (std::fgets(line, sizeof line, nm)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) defined.insert(name);
    }
    ASSERT_EQ(::pclose(nm), 0);
    EXPECT_EQ(defined, listed_exports());
}

TEST(CAbi, HostScenarioThroughFunctionPointers) {
    Library lib;
    ASSERT_TRUE(lib) << ::dlerror();
    auto init = TAGCFG_FN(tagcfg_init_environment);
    auto free_env = TAGCFG_FN(tagcfg_free_environment);
    auto load = TAGCFG_FN(tagcfg_load);
    auto save = TAGCFG_FN(tagcfg_save);
    auto name = TAGCFG_FN(tagcfg_get_server_name);
    auto host = TAGCFG_FN(tagcfg_get_server_host);
    auto add = TAGCFG_FN(tagcfg_add_channel);
    auto find = TAGCFG_FN(tagcfg_find_channel);
    auto item = TAGCFG_FN(tagcfg_get_channel_id);
    ASSERT_TRUE(init && free_env && load && save && name && host && add && find && item);

    char pattern[] = "/tmp/tagcfg_abi_XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    const std::string zero = "%%OPC_SERVER_CONFIG\r\n\r\nPROGID:Vendor.Server.1\r\nHOSTNAME:PLANT2\r\n\r\n";
    const std::string two = "%%OPC_SERVER_CONFIG\r\n\r\nCLSID:{0C0A0B0D-0000-0000-0000-000000000002}\r\n\r\n";
    std::ofstream(dir + "/proj_opc0.cnf", std::ios::binary) << zero;
    std::ofstream(dir + "/proj_opc2.cnf", std::ios::binary) << two;

    tagcfg_environment *env = init();
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(load(env, dir.c_str(), "proj"), 0);

    char buffer[64];
    EXPECT_EQ(name(env, 0, buffer, sizeof buffer), 15);
    EXPECT_STREQ(buffer, "Vendor.Server.1");
    EXPECT_EQ(host(env, 0, buffer, sizeof buffer), 6);
    EXPECT_STREQ(buffer, "PLANT2");
    EXPECT_EQ(name(env, 2, buffer, sizeof buffer), 38);
    EXPECT_STREQ(buffer, "{0C0A0B0D-0000-0000-0000-000000000002}");
    EXPECT_EQ(name(env, 1, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");

    add(env, 2, 42, "Area1.Valve7");
    EXPECT_EQ(find(env, "Area1.Valve7"), 42);
    EXPECT_EQ(find(env, "Area1.Valve8"), -1);
    EXPECT_EQ(item(env, 2, 42, nullptr, buffer, sizeof buffer), 12);
    EXPECT_STREQ(buffer, "Area1.Valve7");

    EXPECT_EQ(save(env, nullptr, nullptr, 0x5A5A, 0), 0);
    EXPECT_EQ(read_all(dir + "/proj_opc0.cnf"), zero);
    EXPECT_EQ(read_all(dir + "/proj_opc2.cnf"), two + "%CHANID:42\r\nID:Area1.Valve7\r\n\r\n");
    free_env(env);

    std::filesystem::remove_all(dir);
}
