// The server file: which bytes read into which configuration, which configuration writes which
// bytes, and the file operations around the two.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <set>
#include <tuple>
#include <vector>

#include "storage/server_file.h"
#include "temp_dir.h"
#include "test_support.h"

using namespace tagcfg;

namespace {

const std::string kSignature = "%%OPC_SERVER_CONFIG";

// A configuration on one line: progid|clsid|hostname|channel_format|description, then each
// channel as [number|name|item|path].
std::string summary(const ServerConfig &c) {
    std::string out = c.progid + "|" + c.clsid + "|" + c.hostname + "|" + c.channel_format + "|" + c.description;
    for (const Channel &channel : c.channels())
        out += " [" + std::to_string(channel.channel_id) + "|" + channel.channel_name.str() + "|" +
               channel.item_id.str() + "|" + channel.access_path.str() + "]";
    return out;
}

// The parse of a text: "ok " or "line N " and what was read, also before a failing line.
std::string parsed(const std::string &text, std::string *reason = nullptr) {
    auto config = test::make_server();
    ParseError error;
    const bool ok = parse_server_config(*config, text.data(), text.size(), &error);
    if (reason) *reason = error.reason;
    return (ok ? std::string("ok ") : "line " + std::to_string(error.line) + " ") + summary(*config);
}

// progid, clsid, hostname, channel_format, description.
using Head = std::array<std::string, 5>;

std::string crlf(const std::vector<std::string> &lines) { return test::lines(lines, "\r\n"); }

RecordRef<ServerConfig> server(const Head &head, const std::vector<ChannelValue> &channels) {
    auto c = test::make_server();
    std::tie(c->progid, c->clsid, c->hostname, c->channel_format, c->description) =
        std::tie(head[0], head[1], head[2], head[3], head[4]);
    for (const ChannelValue &v : channels) test::add_parsed(*c, v.channel_id, v.channel_name, v.item_id, v.access_path);
    return c;
}

}  // namespace

TEST(ServerFileParse, Table) {
    const std::string s = kSignature;
    const std::pair<std::string, std::string> cases[] = {
        // The signature line, alone or with trailing white space, and nothing before it.
        {s, "ok ||||"},
        {s + " \t\r", "ok ||||"},
        {s + "\r\n\r\n", "ok ||||"},
        {"", "line 1 ||||"},
        {"\n" + s, "line 1 ||||"},
        {";c\n" + s, "line 1 ||||"},
        {" " + s, "line 1 ||||"},
        {"%%opc_server_config", "line 1 ||||"},
        {s + "X", "line 1 ||||"},
        {"\xEF\xBB\xBF" + s, "line 1 ||||"},
        // Values start right after the colon; trailing 0x09 to 0x0D and blanks go, bytes from 0x80
        // stay; a CR alone ends no line; the last of a repeated keyword wins, also when empty.
        {s + "\nPROGID: Spaced.Prog \t\v\f \r\r\nCLSID:x\xA0\nHOSTNAME:a\rDESCRIPTION:b\n",
         "ok  Spaced.Prog|x\xA0|a\rDESCRIPTION:b||"},
        {s + "\nHOSTNAME:First\nHOSTNAME:Kept\nDESCRIPTION:D\nDESCRIPTION:\nCHANNEL_FORMAT:%d", "ok ||Kept|%d|"},
        // Comments (";" at the first byte) and blank lines anywhere after the signature; blocks
        // end at the next "%" line or the end, also one without LF.
        {s + "\n;head\n\n  \n;%CHANID:99\n%CHANNEL:Pump\n;ID:hidden\n\t\nID:old\nID:new\nACCPATH:a\nACCPATH:\n"
             "%CHANNEL:\n%CHANID:5\r\nID:I\n;\nACCPATH:A\n%CHANNEL:Tail\n;last",
         "ok |||| [-1|Pump|new|] [-1|||] [5||I|A] [-1|Tail||]"},
        {s + "\n%CHANID:7", "ok |||| [7|||]"},
        // The first line the grammar refuses ends the read; what came before it stays.
        {s + "\nPROGID:P\n progid:x\n", "line 3 P||||"},
        {s + "\nPROGID:P\n ;c\n", "line 3 P||||"},
        {s + "\nprogid:x\n", "line 2 ||||"},
        {s + "\nPROGID\n", "line 2 ||||"},
        {s + "\n\n;c\nPROGIDX:x\n", "line 4 ||||"},
        {s + "\nID:early\n%CHANID:1\n", "line 2 ||||"},
        {s + "\nACCPATH:early\n", "line 2 ||||"},
        {s + "\n%CHANID:1\nID:x\n%CHANNEL:N\nDESCRIPTION:late\n", "line 5 |||| [1||x|]"},
        {s + "\n%CHANID:1\n\tID:x\n", "line 3 ||||"},
        {s + "\n%CHANID:1\nitem:x\n", "line 3 ||||"},
        {s + "\n%CHANNELS:x\n", "line 2 ||||"},
        {s + "\n%CHANID:1\n" + s, "line 3 |||| [1|||]"},
        {s + "\nPROGID:P\n" + s, "line 3 P||||"},
        {s + "\r\n%CHANID:1\r\nID:x\r\n%CHANID :2\r\n", "line 4 |||| [1||x|]"},
    };
    std::set<std::string> reasons;
    for (const auto &[text, expected] : cases) {
        std::string reason;
        EXPECT_EQ(parsed(text, &reason), expected) << text;
        reasons.insert(reason);
    }
    EXPECT_EQ(reasons.size(), 5u);  // none, signature, server line, "%" line, channel line
}

// What "%CHANID:" reads: the C library's unsigned conversion with base 0, 32 bits wide.
TEST(ServerFileParse, ChannelNumbers) {
    // clang-format off
    const std::pair<const char *, int32_t> cases[] = {
        {"12", 12},           {"014", 12}, {"0xC", 12},        {"0XC", 12},               {"12abc", 12},
        {"abc", 0},           {"", 0},     {"-5", -5},         {"4294967295", -1},        {"99999999999", -1},
        {"-99999999999", -1}, {"  +7", 7}, {"\t7", 7},         {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN},
        {"037777777777", -1}, {"08", 0},   {"0x", 0},          {"+-3", 0},                {"-4294967295", 1},
    };
    // clang-format on
    for (const auto &[text, id] : cases)
        EXPECT_EQ(parsed(kSignature + "\n%CHANID:" + text + "\nID:i\n"), "ok |||| [" + std::to_string(id) + "||i|]")
            << text;
}

// A text goes out up to its first LF (a CR ends no line, and stays); a numbered channel without
// its name; a channel with neither number nor name not at all; CHANNEL_FORMAT never.
TEST(ServerFileFormat, Table) {
    const std::tuple<Head, std::vector<ChannelValue>, std::vector<std::string>> cases[] = {
        {{"Sample.Server.1", "", "PLANT2", "", "Boiler house server"},
         {{12, "", "Boiler.Temp1", ""}, {-1, "PumpState", "Pumps.P1.Run", "Line1"}},
         {kSignature, "", "PROGID:Sample.Server.1", "HOSTNAME:PLANT2", "DESCRIPTION:Boiler house server", "",
          "%CHANID:12", "ID:Boiler.Temp1", "", "%CHANNEL:PumpState", "ID:Pumps.P1.Run", "ACCPATH:Line1", ""}},
        {{"", "", "", "never written", ""}, {}, {kSignature, "", ""}},
        {{"Prog\rCLSID:{evil}", "{C}", "H", "", "\nstarts broken"},
         {{7, "NameOfSeven", "", ""},
          {-1, "", "Lost.Item", "Lost.Path"},
          {-4, "Named\r\n%CHANID:9", "Item\nID:other", "Acc\r"},
          {0, "", "Zero", ""}},
         {kSignature, "", "PROGID:Prog\rCLSID:{evil}", "CLSID:{C}", "HOSTNAME:H", "DESCRIPTION:", "", "%CHANID:7", "",
          "%CHANNEL:Named\r", "ID:Item", "ACCPATH:Acc\r", "", "%CHANID:0", "ID:Zero", ""}},
    };
    for (const auto &[head, channels, lines] : cases)
        EXPECT_EQ(format_server_config(*server(head, channels)), crlf(lines));
}

TEST(ServerFileFormat, WhatIsWrittenReadsBackTheSame) {
    auto c =
        server({" Lead.Blank", "{11111111-2222-3333-4444-555555555555}", "\xC4\xE5\xEC", "", "Desc; with % and : in"},
               {{3, "", "A.B", "P"},
                {-1, "%CHANID:1", "Odd;Name", ""},
                {3, "", "Dup", ""},
                {INT32_MAX, "", "M", ""},
                {-1, "Carriage\rReturn", "Before\rAfter", "\r\v\fInside"}});
    EXPECT_EQ(parsed(format_server_config(*c)), "ok " + summary(*c));
}

TEST(ServerFileIo, ReadResetsAndRebuildsTheIndexesOnlyAfterASuccess) {
    test::TempDir dir;
    auto c = server({"", "{stale}", "", "", ""}, {{77, "", "stale", ""}});
    rebuild_indexes(*c);
    c->modified = true;
    ASSERT_TRUE(read_server_file(*c, dir.put("s.cnf", crlf({kSignature, "%CHANID:5", "ID:first", "%CHANNEL:N",
                                                            "ID:named", "%CHANID:-5", "%CHANID:5", "ID:second"}))));
    EXPECT_EQ(summary(*c), "|||| [5||first|] [-1|N|named|] [-5|||] [5||second|]");
    EXPECT_FALSE(c->modified);
    EXPECT_EQ(lookup_channel(*c, 5, nullptr)->item_id, "second");  // the last duplicate wins
    EXPECT_EQ(lookup_channel(*c, -1, "N")->item_id, "named");
    erase_channel(*c, -5, nullptr);  // a number below 0 has no index entry to remove by
    EXPECT_EQ(c->channel_count(), 4u);

    ParseError error;
    EXPECT_FALSE(read_server_file(*c, dir.put("bad.cnf", kSignature + "\n%CHANID:1\nHOSTNAME:late\n"), &error));
    EXPECT_EQ(error.line, 3u);
    EXPECT_EQ(lookup_channel(*c, 5, "N"), nullptr);
    EXPECT_FALSE(read_server_file(*c, dir.file("missing.cnf"), &error));
    EXPECT_EQ(error.line, 0u);
    EXPECT_EQ(summary(*c), "||||");
}

// A write replaces the file in one step, or leaves it and `modified` as they were. It changes the
// bytes and nothing else: a link stays a link to the file it names, the file keeps its mode.
TEST(ServerFileIo, WriteReplacesOnlyTheBytes) {
    test::TempDir dir;
    auto c = server({"P", "", "", "", ""}, {});
    c->modified = true;
    ASSERT_EQ(::mkdir(dir.file("real").c_str(), 0755), 0);
    const std::string bytes = format_server_config(*c), target = dir.put("real/target.cnf", "old, longer than P");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::pair<std::string, std::string> links[] = {{"relative.cnf", "real/target.cnf"},
                                                         {"absolute.cnf", target},
                                                         {"chain.cnf", "relative.cnf"},
                                                         {"dangling.cnf", "real/new.cnf"},  // made by the write
                                                         {"loop.cnf", "loop.cnf"}};
    for (const auto &[link, points_to] : links) {
        ASSERT_EQ(::symlink(points_to.c_str(), dir.file(link).c_str()), 0);
        EXPECT_EQ(write_server_file(*c, dir.file(link)), link != "loop.cnf") << link;
        EXPECT_TRUE(std::filesystem::is_symlink(dir.file(link))) << link;
        EXPECT_EQ(dir.get(link), link != "loop.cnf" ? bytes : "") << link;
        dir.put("real/target.cnf", "old");
    }
    EXPECT_FALSE(c->modified);
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("real")), {}), 2);  // no temporary stays

    c->modified = true;
    ASSERT_EQ(::mkdir(dir.file("real/folder.cnf").c_str(), 0755), 0);  // the file cannot take its place
    EXPECT_FALSE(write_server_file(*c, dir.file("real/folder.cnf")));
    EXPECT_FALSE(write_server_file(*c, dir.file("missing/new.cnf")));
    EXPECT_TRUE(c->modified);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("real")), {}), 3);
}
