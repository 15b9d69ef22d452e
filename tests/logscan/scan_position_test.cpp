#include "logscan/scan_position.h"

#include <gtest/gtest.h>

#include "e2e/e2e_util.h"

namespace zunt {
namespace {

using e2e::Sandbox;

TEST(ScanPositionFile, LayoutAndDamagedFiles) {
    const std::string bytes = encode_scan_position({0x01020304, "abc"});
    EXPECT_EQ(bytes, std::string("\x04\x03\x02\x01\x03\x00\x00\x00" "abc", 11));
    // Bytes after the text are not part of it.
    EXPECT_EQ(decode_scan_position(bytes + "zz"), (ScanPosition{0x01020304, "abc"}));
    EXPECT_EQ(decode_scan_position(encode_scan_position({})), ScanPosition{});
    const std::string longest(511, 'x');
    EXPECT_TRUE(decode_scan_position(encode_scan_position({7, longest})));
    const std::string damaged[] = {
        "", std::string("\0\0\0\0\0\0\0", 7), encode_scan_position({7, longest + "x"}),
        std::string("\0\0\0\0\x05\0\0\0abcd", 12),   // shorter than its length says
        std::string("\0\0\0\0\xff\xff\xff\xff", 8),  // length beyond any line
    };
    for (const std::string& c : damaged) EXPECT_FALSE(decode_scan_position(c)) << c.size();
}

TEST(ScanPositionFile, Load) {
    Sandbox dir;
    Env& env = default_env();
    dir.write("a.znt", encode_scan_position({42, "line"}));
    EXPECT_EQ(load_scan_position(env, dir.path("a.znt")), (ScanPosition{42, "line"}));
    // A missing file or a directory is no position, not a read error.
    dir.make_dir("dir.znt");
    for (const char* name : {"none.znt", "dir.znt"}) {
        Errno e = -1;
        EXPECT_FALSE(load_scan_position(env, dir.path(name), e));
        EXPECT_EQ(e, 0) << name;
    }
}

TEST(ScanPositionFile, Names) {
    const struct {
        std::vector<std::string> list;
        const char* log;
        const char* want;
    } cases[] = {
        {{"c:\\bt\\binkley.log"}, "c:\\bt\\binkley.log", "c:\\bt\\binkley.znt"},
        {{}, "c:\\max\\log", "c:\\max\\log.znt"},
        {{"c:\\bt\\binkley.log", "c:\\bt\\binkley.ses"}, "c:\\bt\\binkley.ses", "c:\\bt\\binkley.ses.znt"},
        {{"c:\\bt\\binkley.log", "c:\\bt\\binkley.ses"}, "c:\\bt\\binkley.log", "c:\\bt\\binkley.znt"},
        // A log listed twice is one log.
        {{"c:\\bt\\binkley.log", "c:\\bt\\binkley.log"}, "c:\\bt\\binkley.log", "c:\\bt\\binkley.znt"},
        {{"c:\\bt\\binkley.log", "c:\\bt\\binkley"}, "c:\\bt\\binkley", "c:\\bt\\binkley.znt.znt"},
        {{"c:\\bt\\binkley.log"}, "c:\\bt\\binkley.ses", "c:\\bt\\binkley.ses.znt"},
        {{"c:\\a\\x.log"}, "c:\\b\\x.log", "c:\\b\\x.znt"},
        {{"c:\\a\\x.log", "c:\\a\\x.znt"}, "c:\\a\\x.log", "c:\\a\\x.log.znt"},
    };
    for (const auto& c : cases) EXPECT_EQ(scan_position_path(c.list, c.log), c.want) << c.log;
    EXPECT_TRUE(has_position_file_extension("c:\\bt\\binkley.ZNT"));
    EXPECT_FALSE(has_position_file_extension("c:\\bt.znt\\binkley"));
}

// choose_scan_start over a real log, with the activity-log lines it writes.
TEST(ScanStart, Cases) {
    const std::string log = "one\r\ntwo\r\n\r\nthree\r\nx\r\n";  // offsets 0, 5, 10, 12, 19
    const auto exact = ScanStartKind::exact_match, moved = ScanStartKind::moved, whole = ScanStartKind::from_start;
    const struct {
        const char* name;
        std::string log;
        std::optional<ScanPosition> remembered;
        ScanStartKind kind;
        std::uint64_t read_from;
        ScanPosition last;
        const char* message;  // expected in the activity log, or ""
    } cases[] = {
        {"exact", log, ScanPosition{5, "two"}, exact, 10, {5, "two"}, "ZUNT Exact match - no log scan necessary"},
        {"beyond the end, no message", log, ScanPosition{90, "three"}, moved, 19, {12, "three"}, ""},
        {"moved", log, ScanPosition{12, "two"}, moved, 10, {5, "two"},
         "ZUNT Log position mismatch - scanning from start"},
        {"found only at offset 0", log, ScanPosition{5, "one"}, moved, 5, {0, "one"}, ""},
        {"last equal line wins", log + "two\r\n", ScanPosition{90, "two"}, moved, 27, {22, "two"}, ""},
        {"remembered empty line", log + "\r\n", ScanPosition{90, ""}, moved, 24, {22, ""}, ""},
        {"not found", log, ScanPosition{5, "gone"}, whole, 0, {0, "gone"}, ""},
        {"no file or /f", log, std::nullopt, whole, 0, {}, ""},
        {"unfinished line never matches", "one\r\ntwo", ScanPosition{5, "two"}, whole, 0, {0, "two"}, ""},
    };
    for (const auto& c : cases) {
        Sandbox dir;
        dir.write("bbs.log", c.log);
        Env& env = default_env();
        ActivityLog alog;
        alog.open(env, dir.path("zunt.log"), "ZUNT Begin", false);
        std::unique_ptr<File> f;
        ASSERT_EQ(env.open(dir.path("bbs.log"), Access::read, Share::deny_none, f), 0);
        LineReader reader(*f);
        ScanStart s = choose_scan_start(alog, reader, c.log.size(), c.remembered);
        alog.close("ZUNT End");
        EXPECT_EQ(std::tie(s.kind, s.read_from, s.last), std::tie(c.kind, c.read_from, c.last)) << c.name;
        EXPECT_NE(dir.read("zunt.log").find(c.message), std::string::npos) << c.name;
    }
}

}  // namespace
}  // namespace zunt
