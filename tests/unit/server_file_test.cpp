#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "model/channel_table.h"
#include "storage/server_file.h"

using namespace tagcfg;

namespace {

using Config = RecordRef<ServerConfig>;

Config new_config() { return Config(new ServerConfig); }

const std::string kSignature = "%%OPC_SERVER_CONFIG";

// One channel as it stands in a configuration's list.
struct Row {
    int32_t id;
    std::string name, item, path;
    bool operator==(const Row &o) const { return id == o.id && name == o.name && item == o.item && path == o.path; }
};

std::ostream &operator<<(std::ostream &os, const Row &r) {
    return os << "{" << r.id << ", \"" << r.name << "\", \"" << r.item << "\", \"" << r.path << "\"}";
}

std::vector<Row> rows(const ServerConfig &config) {
    std::vector<Row> out;
    for (const Channel *c = config.channels.first(); c; c = c->next())
        out.push_back({c->channel_id, c->channel_name, c->item_id, c->access_path});
    return out;
}

void add(ServerConfig &config, int32_t id, const std::string &name, const std::string &item,
         const std::string &path = "") {
    ChannelValue v;
    v.channel_id = id;
    v.channel_name = name;
    v.item_id = item;
    v.access_path = path;
    append_parsed_channel(config, v);
}

struct Parsed {
    bool ok;
    Config config;
    ParseError error;
};

Parsed parse(const std::string &text) {
    Parsed p{false, new_config(), {}};
    p.ok = parse_server_config(*p.config, text.data(), text.size(), &p.error);
    return p;
}

// Lines joined with CR LF, each one ended.
std::string crlf(const std::vector<std::string> &lines) {
    std::string out;
    for (const auto &l : lines) out += l + "\r\n";
    return out;
}

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/tagcfg_file_XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void put(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string get(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

// ---- Writer ----

TEST(ServerFileFormat, WritesTheExampleFileByteForByte) {
    Config c = new_config();
    c->progid = "Sample.Server.1";
    c->hostname = "PLANT2";
    c->description = "Boiler house server";
    add(*c, 12, "", "Boiler.Temp1");
    add(*c, -1, "PumpState", "Pumps.P1.Run", "Line1");
    EXPECT_EQ(format_server_config(*c),
              crlf({kSignature, "", "PROGID:Sample.Server.1", "HOSTNAME:PLANT2", "DESCRIPTION:Boiler house server", "",
                    "%CHANID:12", "ID:Boiler.Temp1", "", "%CHANNEL:PumpState", "ID:Pumps.P1.Run", "ACCPATH:Line1",
                    ""}));
}

TEST(ServerFileFormat, EmptyServerIsSignatureAndTwoEmptyLines) {
    Config c = new_config();
    c->channel_format = "never written";
    EXPECT_EQ(format_server_config(*c), kSignature + "\r\n\r\n\r\n");
}

TEST(ServerFileFormat, HeadFieldsInFixedOrderAndChannelsAsTheFormatAllows) {
    Config c = new_config();
    c->description = "D";
    c->hostname = "H";
    c->clsid = "{C}";
    c->progid = "P";
    c->channel_format = "F";
    add(*c, 7, "NameOfSeven", "", "");          // header only, without its name
    add(*c, -1, "", "Lost.Item", "Lost.Path");  // neither number nor name: nothing at all
    add(*c, -4, "Named", "", "Acc");            // negative number with a name
    add(*c, 0, "", "Zero", "");
    EXPECT_EQ(format_server_config(*c), crlf({kSignature, "", "PROGID:P", "CLSID:{C}", "HOSTNAME:H", "DESCRIPTION:D", "",
                                              "%CHANID:7", "", "%CHANNEL:Named", "ACCPATH:Acc", "", "%CHANID:0",
                                              "ID:Zero", ""}));
}

TEST(ServerFileFormat, TextsAreCutAtTheirFirstLineBreak) {
    Config c = new_config();
    c->progid = "Prog\rCLSID:{evil}";
    c->description = "\nstarts broken";
    add(*c, -1, "Name\r\n%CHANID:9", "Item\nID:other", "Path\r");
    EXPECT_EQ(format_server_config(*c), crlf({kSignature, "", "PROGID:Prog", "DESCRIPTION:", "", "%CHANNEL:Name",
                                              "ID:Item", "ACCPATH:Path", ""}));
}

// ---- Grammar ----

TEST(ServerFileParse, SignatureLine) {
    for (const char *good : {"%%OPC_SERVER_CONFIG", "%%OPC_SERVER_CONFIG\n", "%%OPC_SERVER_CONFIG\r\n",
                             "%%OPC_SERVER_CONFIG \t\r", "%%OPC_SERVER_CONFIG\r\n\r\n"}) {
        Parsed p = parse(good);
        EXPECT_TRUE(p.ok) << good;
        EXPECT_TRUE(rows(*p.config).empty());
        EXPECT_TRUE(p.config->progid.empty());
    }
    for (const char *bad : {"", "\n%%OPC_SERVER_CONFIG\n", ";c\n%%OPC_SERVER_CONFIG\n", " %%OPC_SERVER_CONFIG\n",
                            "%%opc_server_config\n", "%%OPC_SERVER_CONFIGX\n", "%OPC_SERVER_CONFIG\n",
                            "\xEF\xBB\xBF%%OPC_SERVER_CONFIG\n", "%%OPC_SERVER_CONFIG x\n"}) {
        Parsed p = parse(bad);
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_EQ(p.error.line, 1u) << bad;
    }
}

TEST(ServerFileParse, HeadKeywordsValuesAndRepeats) {
    Parsed p = parse(kSignature + "\nPROGID: Spaced.Prog \t\nCLSID:{X}\nHOSTNAME:First\nHOSTNAME:Second\n"
                                  "CHANNEL_FORMAT:%d\nDESCRIPTION:Kept\nDESCRIPTION:\n");
    ASSERT_TRUE(p.ok) << p.error.reason;
    EXPECT_EQ(p.config->progid, " Spaced.Prog");
    EXPECT_EQ(p.config->clsid, "{X}");
    EXPECT_EQ(p.config->hostname, "Second");
    EXPECT_EQ(p.config->channel_format, "%d");
    EXPECT_EQ(p.config->description, "");
}

TEST(ServerFileParse, WhiteSpaceAndLineEnds) {
    // Trailing 0x09..0x0D and blanks go; bytes from 0x80 stay; a CR alone does not end a line.
    Parsed p = parse(kSignature + "\nPROGID:abc\t\v\f \r\r\nCLSID:x\xA0\nHOSTNAME:a\rDESCRIPTION:b\n");
    ASSERT_TRUE(p.ok) << p.error.reason;
    EXPECT_EQ(p.config->progid, "abc");
    EXPECT_EQ(p.config->clsid, "x\xA0");
    EXPECT_EQ(p.config->hostname, "a\rDESCRIPTION:b");
    EXPECT_EQ(p.config->description, "");

    const std::string lf = kSignature + "\n\nPROGID:P\n;c\n\n%CHANID:3\nID:I\n\n%CHANNEL:N\nACCPATH:A\n";
    std::string crlf_text;
    for (char ch : lf) crlf_text += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    Parsed a = parse(lf), b = parse(crlf_text);
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.config->progid, b.config->progid);
    EXPECT_EQ(rows(*a.config), rows(*b.config));
    EXPECT_EQ(rows(*a.config), (std::vector<Row>{{3, "", "I", ""}, {-1, "N", "", "A"}}));
}

TEST(ServerFileParse, CommentsAndBlanksStandAnywhereAfterTheSignature) {
    Parsed p = parse(kSignature + "\n;head comment\n\n  \nPROGID:P\n;%CHANID:99\n%CHANID:1\n;ID:hidden\n\n\t\nID:I\n"
                                  ";\nACCPATH:A\n;last");
    ASSERT_TRUE(p.ok) << p.error.reason;
    EXPECT_EQ(p.config->progid, "P");
    EXPECT_EQ(rows(*p.config), (std::vector<Row>{{1, "", "I", "A"}}));

    // A blank before ";" makes it an ordinary line, rejected in either section.
    Parsed head = parse(kSignature + "\nPROGID:P\n ;c\n");
    EXPECT_FALSE(head.ok);
    EXPECT_EQ(head.error.line, 3u);
    Parsed block = parse(kSignature + "\n%CHANID:1\n\tID:x\n");
    EXPECT_FALSE(block.ok);
    EXPECT_EQ(block.error.line, 3u);
}

TEST(ServerFileParse, BlockStructure) {
    Parsed p = parse(kSignature + "\n%CHANNEL:Pump\nID:old\nID:new\nACCPATH:a\nACCPATH:\n%CHANNEL:\n%CHANID:5");
    ASSERT_TRUE(p.ok) << p.error.reason;
    EXPECT_EQ(rows(*p.config), (std::vector<Row>{{-1, "Pump", "new", ""}, {-1, "", "", ""}, {5, "", "", ""}}));

    Parsed last_named = parse(kSignature + "\nPROGID:P\n%CHANNEL:Tail");
    ASSERT_TRUE(last_named.ok);
    EXPECT_EQ(rows(*last_named.config), (std::vector<Row>{{-1, "Tail", "", ""}}));
}

TEST(ServerFileParse, RejectedLinesWithTheirLineNumbers) {
    struct Case {
        std::string text;
        size_t line;
    };
    const Case cases[] = {
        {"\nPROGID:P\n progid:x\n", 3},                  // blank before a keyword
        {"\nprogid:x\n", 2},                             // letter case
        {"\nPROGID\n", 2},                               // colon missing
        {"\n\n;c\nPROGIDX:x\n", 4},                      // misspelt; blank and comment lines counted
        {"\nID:early\n%CHANID:1\n", 2},                  // item before any block
        {"\nACCPATH:early\n", 2},                        //
        {"\n%CHANID:1\nID:x\nDESCRIPTION:late\n", 4},    // head keyword after a block
        {"\n%CHANID:1\nitem:x\n", 3},                    //
        {"\n%CHANNELS:x\n", 2},                          // unknown % line opening the section
        {"\n%CHANID:1\n%FOO:x\n", 3},                    // unknown % line later
        {"\n%CHANID:1\n%%OPC_SERVER_CONFIG\n", 3},       // second signature
        {"\nPROGID:P\n%%OPC_SERVER_CONFIG\n", 3},        //
        {"\r\n%CHANID:1\r\nID:x\r\n%CHANID :2\r\n", 4},  //
    };
    for (const Case &c : cases) {
        Parsed p = parse(kSignature + c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(p.error.line, c.line) << c.text;
        EXPECT_FALSE(p.error.reason.empty()) << c.text;
    }
}

TEST(ServerFileParse, EachRuleGivesItsOwnReason) {
    const std::string texts[] = {"PROGID:x\n", kSignature + "\nID:x\n", kSignature + "\n%X\n",
                                 kSignature + "\n%CHANID:1\nPROGID:x\n"};
    std::set<std::string> reasons;
    for (const auto &t : texts) {
        Parsed p = parse(t);
        ASSERT_FALSE(p.ok);
        reasons.insert(p.error.reason);
    }
    EXPECT_EQ(reasons.size(), 4u);
}

TEST(ServerFileParse, ChannelNumbers) {
    struct Case {
        const char *text;
        int32_t id;
    };
    const Case cases[] = {
        {"12", 12},         {"014", 12},          {"0xC", 12},          {"0XC", 12},         {"12abc", 12},
        {"abc", 0},         {"", 0},              {"-5", -5},           {"4294967295", -1},  {"99999999999", -1},
        {"-99999999999", -1}, {"0x100000000", -1}, {"037777777777", -1}, {"  +7", 7},        {"\t7", 7},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN}, {"-4294967295", 1}, {"08", 0}, {"0x", 0},
        {"0xG", 0},         {"-0", 0},            {"+-3", 0},           {"1 2", 1},
    };
    for (const Case &c : cases) {
        Parsed p = parse(kSignature + "\n%CHANID:" + c.text + "\nID:item\n");
        ASSERT_TRUE(p.ok) << c.text;
        ASSERT_EQ(p.config->channels.size(), 1u) << c.text;
        EXPECT_EQ(p.config->channels.first()->channel_id, c.id) << "\"" << c.text << "\"";
        EXPECT_EQ(static_cast<int32_t>(parse_unsigned_base0(c.text)), c.id) << "\"" << c.text << "\"";
    }
}

// ---- Round trip ----

TEST(ServerFileRoundTrip, KeepsWhatTheFormatHoldsAndDropsTheRest) {
    Config c = new_config();
    c->progid = " Lead.Blank";
    c->clsid = "{11111111-2222-3333-4444-555555555555}";
    c->hostname = "\xC4\xE5\xEC";
    c->description = "Desc; with % and : inside";
    c->channel_format = "lost";
    add(*c, 3, "NameLost", "A.B", "P");
    add(*c, -1, "", "Nowhere", "X");       // dropped
    add(*c, -1, "%CHANID:1", "Odd.Name", "");
    add(*c, -9, "Renumbered", "C", "");    // a name keeps it, as a name-only channel
    add(*c, -5, "", "Gone", "");           // dropped
    add(*c, 3, "", "Duplicate", "");
    add(*c, INT32_MAX, "", "Max", "");

    std::string text = format_server_config(*c);
    Parsed back = parse(text);
    ASSERT_TRUE(back.ok) << back.error.reason;
    EXPECT_EQ(back.config->progid, c->progid);
    EXPECT_EQ(back.config->clsid, c->clsid);
    EXPECT_EQ(back.config->hostname, c->hostname);
    EXPECT_EQ(back.config->description, c->description);
    EXPECT_EQ(back.config->channel_format, "");
    EXPECT_EQ(rows(*back.config), (std::vector<Row>{{3, "", "A.B", "P"},
                                                    {-1, "%CHANID:1", "Odd.Name", ""},
                                                    {-1, "Renumbered", "C", ""},
                                                    {3, "", "Duplicate", ""},
                                                    {INT32_MAX, "", "Max", ""}}));
    EXPECT_EQ(format_server_config(*back.config), text);
}

TEST(ServerFileRoundTrip, CutTextsComeBackCut) {
    Config c = new_config();
    c->hostname = "Host\r\nPROGID:injected";
    add(*c, 1, "", "Item\rID:second", "");
    Parsed back = parse(format_server_config(*c));
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.config->hostname, "Host");
    EXPECT_EQ(back.config->progid, "");
    EXPECT_EQ(rows(*back.config), (std::vector<Row>{{1, "", "Item", ""}}));
}

// ---- Files ----

TEST(ServerFileIo, ReadRebuildsIndexesAndTheLastDuplicateWins) {
    TempDir dir;
    put(dir.file("s.cnf"), kSignature + "\r\nPROGID:P\r\n%CHANID:5\r\nID:first\r\n%CHANNEL:N\r\nID:named\r\n"
                                        "%CHANID:-5\r\nID:hidden\r\n%CHANID:5\r\nID:second\r\n");
    Config c = new_config();
    c->clsid = "{stale}";
    add(*c, 77, "", "stale");
    rebuild_indexes(*c);
    c->modified = true;

    ASSERT_TRUE(read_server_file(*c, dir.file("s.cnf")));
    EXPECT_FALSE(c->modified);
    EXPECT_EQ(c->clsid, "");
    EXPECT_EQ(c->channels.size(), 4u);
    EXPECT_EQ(c->id_index.entry_count(), 2u);
    EXPECT_EQ(c->name_index.entry_count(), 1u);
    EXPECT_EQ(lookup_channel(*c, 77, nullptr), nullptr);
    ASSERT_NE(lookup_channel(*c, 5, nullptr), nullptr);
    EXPECT_EQ(lookup_channel(*c, 5, nullptr)->item_id, "second");
    ASSERT_NE(lookup_channel(*c, -1, "N"), nullptr);
    EXPECT_EQ(lookup_channel(*c, -1, "N")->item_id, "named");
    EXPECT_EQ(lookup_channel(*c, -5, nullptr), nullptr);
}

TEST(ServerFileIo, FailedReadKeepsPartialContentWithoutIndexEntries) {
    TempDir dir;
    put(dir.file("bad.cnf"), kSignature + "\nPROGID:P\n%CHANID:1\nID:one\n%CHANNEL:Two\nID:two\nHOSTNAME:late\n"
                                          "%CHANID:3\nID:three\n");
    Config c = new_config();
    ParseError error;
    EXPECT_FALSE(read_server_file(*c, dir.file("bad.cnf"), &error));
    EXPECT_EQ(error.line, 7u);
    EXPECT_EQ(c->progid, "P");
    EXPECT_EQ(c->hostname, "");
    EXPECT_EQ(rows(*c), (std::vector<Row>{{1, "", "one", ""}}));
    EXPECT_EQ(c->id_index.entry_count(), 0u);
    EXPECT_EQ(c->name_index.entry_count(), 0u);

    c->progid = "left over";
    EXPECT_FALSE(read_server_file(*c, dir.file("missing.cnf"), &error));
    EXPECT_EQ(error.line, 0u);
    EXPECT_FALSE(error.reason.empty());
    EXPECT_EQ(c->progid, "");
    EXPECT_EQ(c->channels.size(), 0u);
}

TEST(ServerFileIo, WriteReplacesTheFileAndClearsModified) {
    TempDir dir;
    const std::string path = dir.file("w.cnf");
    put(path, "old bytes that are longer than the new file will be ...........................");
    Config c = new_config();
    c->progid = "P";
    add(*c, 2, "", "I");
    c->modified = true;
    ASSERT_TRUE(write_server_file(*c, path));
    EXPECT_FALSE(c->modified);
    EXPECT_EQ(get(path), format_server_config(*c));
    EXPECT_NE(::access((path + ".tmp").c_str(), F_OK), 0);

    Config back = new_config();
    ASSERT_TRUE(read_server_file(*back, path));
    EXPECT_EQ(rows(*back), rows(*c));
}

TEST(ServerFileIo, FailedWriteKeepsModifiedAndTheOldFile) {
    TempDir dir;
    Config c = new_config();
    c->progid = "New";
    c->modified = true;
    EXPECT_FALSE(write_server_file(*c, dir.file("no/such/dir/x.cnf")));
    EXPECT_TRUE(c->modified);

    const std::string path = dir.file("kept.cnf");
    const std::string old_bytes = kSignature + "\r\n\r\nPROGID:Old\r\n\r\n";
    put(path, old_bytes);
    ASSERT_EQ(::mkdir((path + ".tmp").c_str(), 0755), 0);  // the temporary cannot be created
    EXPECT_FALSE(write_server_file(*c, path));
    EXPECT_TRUE(c->modified);
    EXPECT_EQ(get(path), old_bytes);
}
