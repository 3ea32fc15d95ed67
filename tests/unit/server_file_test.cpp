#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

#include "storage/server_file.h"
#include "test_support.h"

using namespace tagcfg;

namespace {

const std::string kSignature = "%%OPC_SERVER_CONFIG";

using Rows = std::vector<std::tuple<int32_t, std::string, std::string, std::string>>;  // id, name, item, path

Rows rows(const ServerConfig &config) {
    Rows out;
    for (const Channel *c = config.channels.first(); c; c = c->next())
        out.emplace_back(c->channel_id, c->channel_name, c->item_id, c->access_path);
    return out;
}

struct Head {
    std::string progid, clsid, hostname, description;
};

RecordRef<ServerConfig> server(const Head &head, const Rows &channels) {
    auto c = test::make_server();
    std::tie(c->progid, c->clsid, c->hostname, c->description) =
        std::tie(head.progid, head.clsid, head.hostname, head.description);
    for (const auto &[id, name, item, path] : channels) test::add_parsed(*c, id, name, item, path);
    return c;
}

struct Parsed {
    bool ok;
    RecordRef<ServerConfig> config;
    ParseError error;
};

Parsed parse(const std::string &text) {
    Parsed p{false, test::make_server(), {}};
    p.ok = parse_server_config(*p.config, text.data(), text.size(), &p.error);
    return p;
}

std::string crlf(const std::vector<std::string> &lines) {
    std::string out;
    for (const auto &l : lines) out += l + "\r\n";
    return out;
}

std::string get(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TempDir {
    std::string path;
    TempDir() {
        char pattern[] = "/tmp/tagcfg_file_XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string put(const std::string &name, const std::string &bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
        return path + "/" + name;
    }
};

}  // namespace

TEST(ServerFileFormat, WritesTheExampleFileByteForByte) {
    auto c = server({"Sample.Server.1", "", "PLANT2", "Boiler house server"},
                    {{12, "", "Boiler.Temp1", ""}, {-1, "PumpState", "Pumps.P1.Run", "Line1"}});
    EXPECT_EQ(format_server_config(*c), crlf({kSignature, "", "PROGID:Sample.Server.1", "HOSTNAME:PLANT2",
                                              "DESCRIPTION:Boiler house server", "", "%CHANID:12", "ID:Boiler.Temp1",
                                              "", "%CHANNEL:PumpState", "ID:Pumps.P1.Run", "ACCPATH:Line1", ""}));
}

TEST(ServerFileFormat, FieldOrderChannelShapesAndTextsCutAtTheirFirstLineBreak) {
    auto c = server({}, {});
    c->channel_format = "never written";
    EXPECT_EQ(format_server_config(*c), kSignature + "\r\n\r\n\r\n");

    c = server({"Prog\rCLSID:{evil}", "{C}", "H", "\nstarts broken"},
               {{7, "NameOfSeven", "", ""},          // header only, without its name
                {-1, "", "Lost.Item", "Lost.Path"},  // neither number nor name: nothing at all
                {-4, "Named\r\n%CHANID:9", "Item\nID:other", "Acc\r"},
                {0, "", "Zero", ""}});
    EXPECT_EQ(format_server_config(*c),
              crlf({kSignature, "", "PROGID:Prog", "CLSID:{C}", "HOSTNAME:H", "DESCRIPTION:", "", "%CHANID:7", "",
                    "%CHANNEL:Named", "ID:Item", "ACCPATH:Acc", "", "%CHANID:0", "ID:Zero", ""}));
}

TEST(ServerFileFormat, RoundTripKeepsEveryTextTheFormatHolds) {
    auto c =
        server({" Lead.Blank", "{11111111-2222-3333-4444-555555555555}", "\xC4\xE5\xEC", "Desc; with % and : in"},
               {{3, "", "A.B", "P"}, {-1, "%CHANID:1", "Odd;Name", ""}, {3, "", "Dup", ""}, {INT32_MAX, "", "M", ""}});
    Parsed back = parse(format_server_config(*c));
    ASSERT_TRUE(back.ok) << back.error.reason;
    EXPECT_EQ(std::tie(back.config->progid, back.config->clsid, back.config->hostname, back.config->description),
              std::tie(c->progid, c->clsid, c->hostname, c->description));
    EXPECT_EQ(rows(*back.config), rows(*c));
}

TEST(ServerFileParse, SignatureLine) {
    for (const char *good :
         {"%%OPC_SERVER_CONFIG", "%%OPC_SERVER_CONFIG\n", "%%OPC_SERVER_CONFIG \t\r", "%%OPC_SERVER_CONFIG\r\n\r\n"}) {
        Parsed p = parse(good);
        EXPECT_TRUE(p.ok && rows(*p.config).empty() && p.config->progid.empty()) << good;
    }
    for (const char *bad : {"", "\n%%OPC_SERVER_CONFIG\n", ";c\n%%OPC_SERVER_CONFIG\n", " %%OPC_SERVER_CONFIG\n",
                            "%%opc_server_config\n", "%%OPC_SERVER_CONFIGX\n", "%OPC_SERVER_CONFIG\n",
                            "\xEF\xBB\xBF%%OPC_SERVER_CONFIG\n", "%%OPC_SERVER_CONFIG x\n"}) {
        Parsed p = parse(bad);
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_EQ(p.error.line, 1u) << bad;
    }
}

TEST(ServerFileParse, AcceptedLines) {
    // Trailing 0x09..0x0D and blanks go, bytes from 0x80 stay, a CR alone does not end a line, the
    // last repeat wins, comments and blank lines stand anywhere after the signature.
    Parsed p = parse(kSignature +
                     "\n;head\n\n  \nPROGID: Spaced.Prog \t\v\f \r\r\nCLSID:x\xA0\nHOSTNAME:First\n"
                     "HOSTNAME:a\rDESCRIPTION:b\nCHANNEL_FORMAT:%d\nDESCRIPTION:Kept\nDESCRIPTION:\n"
                     ";%CHANID:99\n%CHANNEL:Pump\n;ID:hidden\n\t\nID:old\nID:new\nACCPATH:a\nACCPATH:\n"
                     "%CHANNEL:\n%CHANID:5\r\nID:I\n;\nACCPATH:A\n%CHANNEL:Tail\n;last");
    ASSERT_TRUE(p.ok) << p.error.reason;
    EXPECT_EQ(p.config->progid, " Spaced.Prog");
    EXPECT_EQ(p.config->clsid, "x\xA0");
    EXPECT_EQ(p.config->hostname, "a\rDESCRIPTION:b");
    EXPECT_EQ(p.config->channel_format, "%d");
    EXPECT_EQ(p.config->description, "");
    EXPECT_EQ(rows(*p.config),
              (Rows{{-1, "Pump", "new", ""}, {-1, "", "", ""}, {5, "", "I", "A"}, {-1, "Tail", "", ""}}));
}

TEST(ServerFileParse, RejectedLinesWithTheirLineNumbersAndOneReasonPerRule) {
    const std::pair<std::string, size_t> cases[] = {
        {"\nPROGID:P\n progid:x\n", 3},  // blank before a keyword
        {"\nPROGID:P\n ;c\n", 3},        // a blank makes ";" an ordinary line
        {"\n%CHANID:1\n\tID:x\n", 3},
        {"\nprogid:x\n", 2},
        {"\nPROGID\n", 2},
        {"\n\n;c\nPROGIDX:x\n", 4},      // blank and comment lines counted
        {"\nID:early\n%CHANID:1\n", 2},  // item before any block
        {"\nACCPATH:early\n", 2},
        {"\n%CHANID:1\nID:x\nDESCRIPTION:late\n", 4},  // head keyword after a block
        {"\n%CHANID:1\nitem:x\n", 3},
        {"\n%CHANNELS:x\n", 2},
        {"\n%CHANID:1\n%FOO:x\n", 3},
        {"\n%CHANID:1\n%%OPC_SERVER_CONFIG\n", 3},
        {"\nPROGID:P\n%%OPC_SERVER_CONFIG\n", 3},
        {"\r\n%CHANID:1\r\nID:x\r\n%CHANID :2\r\n", 4},
    };
    std::set<std::string> reasons{parse("PROGID:x\n").error.reason};
    for (const auto &[text, line] : cases) {
        SCOPED_TRACE(text);
        Parsed p = parse(kSignature + text);
        EXPECT_FALSE(p.ok);
        EXPECT_EQ(p.error.line, line);
        reasons.insert(p.error.reason);
    }
    EXPECT_EQ(reasons.size(), 4u);  // signature, server line, % line, channel line
}

TEST(ServerFileParse, ChannelNumbers) {
    // Laid out as a table:
    // clang-format off
    const std::pair<const char *, int32_t> cases[] = {
        {"12", 12},         {"014", 12},          {"0xC", 12},          {"0XC", 12},         {"12abc", 12},
        {"abc", 0},         {"", 0},              {"-5", -5},           {"4294967295", -1},  {"99999999999", -1},
        {"-99999999999", -1}, {"0x100000000", -1}, {"037777777777", -1}, {"  +7", 7},        {"\t7", 7},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN}, {"-4294967295", 1}, {"08", 0}, {"0x", 0},
        {"0xG", 0},         {"-0", 0},            {"+-3", 0},           {"1 2", 1},
    };
    // clang-format on
    for (const auto &[text, id] : cases) {
        SCOPED_TRACE(std::string("\"") + text + "\"");
        Parsed p = parse(kSignature + "\n%CHANID:" + text + "\nID:item\n");
        EXPECT_EQ(rows(*p.config), (Rows{{id, "", "item", ""}}));
        EXPECT_EQ(static_cast<int32_t>(parse_unsigned_base0(text)), id);
    }
}

TEST(ServerFileIo, ReadResetsRebuildsIndexesAndKeepsPartialContentOnFailure) {
    TempDir dir;
    auto c = server({"", "{stale}", "", ""}, {{77, "", "stale", ""}});
    rebuild_indexes(*c);
    c->modified = true;
    ASSERT_TRUE(read_server_file(
        *c, dir.put("s.cnf", kSignature + "\r\n%CHANID:5\r\nID:first\r\n%CHANNEL:N\r\n"
                                          "ID:named\r\n%CHANID:-5\r\nID:hidden\r\n%CHANID:5\r\nID:second\r\n")));
    EXPECT_FALSE(c->modified);
    EXPECT_EQ(c->clsid, "");
    EXPECT_EQ(c->channels.size(), 4u);
    EXPECT_EQ(lookup_channel(*c, 77, nullptr), nullptr);
    EXPECT_EQ(lookup_channel(*c, -5, nullptr), nullptr);
    ASSERT_TRUE(lookup_channel(*c, 5, nullptr) && lookup_channel(*c, -1, "N"));
    EXPECT_EQ(lookup_channel(*c, 5, nullptr)->item_id, "second");  // the last duplicate wins
    EXPECT_EQ(lookup_channel(*c, -1, "N")->item_id, "named");

    ParseError error;
    EXPECT_FALSE(read_server_file(*c,
                                  dir.put("bad.cnf", kSignature + "\nPROGID:P\n%CHANID:1\nID:one\n%CHANNEL:Two\n"
                                                                  "ID:two\nHOSTNAME:late\n%CHANID:3\nID:three\n"),
                                  &error));
    EXPECT_EQ(error.line, 7u);
    EXPECT_EQ(std::tie(c->progid, c->hostname), std::make_tuple("P", ""));
    EXPECT_EQ(rows(*c), (Rows{{1, "", "one", ""}}));
    EXPECT_EQ(c->id_index.entry_count() + c->name_index.entry_count(), 0u);

    EXPECT_FALSE(read_server_file(*c, dir.path + "/missing.cnf", &error));
    EXPECT_EQ(error.line, 0u);
    EXPECT_FALSE(error.reason.empty());
    EXPECT_TRUE(c->progid.empty() && c->channels.size() == 0);
}

TEST(ServerFileIo, WriteReplacesTheFileOrKeepsTheOldOneAndModified) {
    TempDir dir;
    const std::string path = dir.put("w.cnf", "old bytes that are longer than the new file will be ..................");
    auto c = server({"P", "", "", ""}, {{2, "", "I", ""}});
    c->modified = true;
    ASSERT_TRUE(write_server_file(*c, path));
    EXPECT_FALSE(c->modified);
    EXPECT_EQ(get(path), format_server_config(*c));
    EXPECT_NE(::access((path + ".tmp").c_str(), F_OK), 0);

    c->progid = "New";
    c->modified = true;
    ASSERT_EQ(::mkdir((path + ".tmp").c_str(), 0755), 0);  // the temporary cannot be created
    EXPECT_FALSE(write_server_file(*c, path));
    EXPECT_TRUE(c->modified);
    EXPECT_EQ(get(path), crlf({kSignature, "", "PROGID:P", "", "%CHANID:2", "ID:I", ""}));
}

// A save changes the file's bytes and nothing else: a link stays a link to the file it names,
// and the file keeps its permissions.
TEST(ServerFileIo, WriteChangesOnlyTheBytes) {
    TempDir dir;
    auto c = server({"P", "", "", ""}, {});
    const std::string bytes = format_server_config(*c);
    ASSERT_EQ(::mkdir((dir.path + "/real").c_str(), 0755), 0);
    const std::string target = dir.put("real/target.cnf", "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const struct {
        const char *link, *points_to;
    } links[] = {{"relative.cnf", "real/target.cnf"},
                 {"absolute.cnf", nullptr},
                 {"chain.cnf", "relative.cnf"},
                 {"dangling.cnf", "real/new.cnf"}};
    for (const auto &l : links) {
        SCOPED_TRACE(l.link);
        const std::string link = dir.path + "/" + l.link;
        ASSERT_EQ(::symlink(l.points_to ? l.points_to : target.c_str(), link.c_str()), 0);
        ASSERT_TRUE(write_server_file(*c, link));
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(get(link), bytes);
        dir.put("real/target.cnf", "old");
    }
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(get(dir.path + "/real/new.cnf"), bytes);
    std::set<std::string> names;  // no temporary left beside the targets
    for (const auto &entry : std::filesystem::directory_iterator(dir.path + "/real"))
        names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"target.cnf", "new.cnf"}));

    const std::string loop = dir.path + "/loop.cnf";
    ASSERT_EQ(::symlink("loop.cnf", loop.c_str()), 0);
    EXPECT_FALSE(write_server_file(*c, loop));
    EXPECT_TRUE(std::filesystem::is_symlink(loop));
}
