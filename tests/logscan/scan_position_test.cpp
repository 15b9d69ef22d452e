#include "logscan/scan_position.h"

#include <gtest/gtest.h>

#include "logscan/scan_test_util.h"

namespace zunt {
namespace {

using testing::ScanDir;

TEST(ScanPositionFile, Layout) {
    const std::string bytes = encode_scan_position({0x01020304, "abc"});
    EXPECT_EQ(bytes, std::string("\x04\x03\x02\x01\x03\x00\x00\x00" "abc", 11));
    EXPECT_EQ(decode_scan_position(bytes), (ScanPosition{0x01020304, "abc"}));
    EXPECT_EQ(decode_scan_position(encode_scan_position({})), ScanPosition{});
    // Bytes after the text are not part of it.
    EXPECT_EQ(decode_scan_position(bytes + "zz"), (ScanPosition{0x01020304, "abc"}));
}

TEST(ScanPositionFile, DamagedFilesAreMissing) {
    const std::string longest(511, 'x');
    EXPECT_TRUE(decode_scan_position(encode_scan_position({7, longest})));
    const std::string too_long = encode_scan_position({7, longest + "x"});
    const std::string cases[] = {
        "",
        std::string("\0\0\0\0\0\0\0", 7),
        too_long,
        std::string("\0\0\0\0\x05\0\0\0abcd", 12),      // shorter than its length says
        std::string("\0\0\0\0\xff\xff\xff\xff", 8),     // length beyond any line
    };
    for (const std::string& c : cases) EXPECT_FALSE(decode_scan_position(c)) << c.size();
}

TEST(ScanPositionFile, Names) {
    struct {
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
    };
    for (const auto& c : cases) EXPECT_EQ(scan_position_path(c.list, c.log), c.want) << c.log;
    EXPECT_TRUE(has_position_file_extension("c:\\bt\\binkley.ZNT"));
    EXPECT_FALSE(has_position_file_extension("c:\\bt.znt\\binkley"));
}

TEST(ScanPositionFile, SaveAndLoad) {
    ScanDir dir("pos");
    Env& env = default_env();
    EXPECT_FALSE(load_scan_position(env, dir.path("none.znt")));
    ASSERT_EQ(save_scan_position(env, dir.path("a.znt"), {42, "line"}), 0);
    EXPECT_EQ(load_scan_position(env, dir.path("a.znt")), (ScanPosition{42, "line"}));
    dir.write("b.znt", std::string("\0\0\0\0\x09\0\0\0abc", 11));
    EXPECT_FALSE(load_scan_position(env, dir.path("b.znt")));
}

// choose_scan_start over a real log, with the activity-log lines it writes.
class ScanStartTest : public ::testing::Test {
protected:
    ScanStart choose(const std::string& log_bytes, const std::optional<ScanPosition>& remembered) {
        dir.write("bbs.log", log_bytes);
        Env& env = default_env();
        ActivityLog alog;
        alog.open(env, dir.path("zunt.log"), "ZUNT Begin", false);
        std::unique_ptr<File> f;
        EXPECT_EQ(env.open(dir.path("bbs.log"), Access::read, Share::deny_none, f), 0);
        LineReader reader(*f);
        ScanStart s = choose_scan_start(alog, reader, log_bytes.size(), remembered);
        alog.close("ZUNT End");
        messages = dir.read("zunt.log");
        return s;
    }
    bool logged(const char* text) const { return messages.find(text) != std::string::npos; }

    ScanDir dir{"start"};
    std::string messages;
};

const char kLog[] = "one\r\ntwo\r\n\r\nthree\r\n";  // offsets 0, 5, 10, 12

TEST_F(ScanStartTest, ExactMatchReadsOnAfterTheLine) {
    ScanStart s = choose(kLog, ScanPosition{5, "two"});
    EXPECT_EQ(s.kind, ScanStartKind::exact_match);
    EXPECT_EQ(s.read_from, 10u);
    EXPECT_EQ(s.last, (ScanPosition{5, "two"}));
    EXPECT_TRUE(logged("ZUNT Exact match - no log scan necessary"));
}

TEST_F(ScanStartTest, MovedLineIsFoundAndReadOnAfter) {
    ScanStart s = choose(kLog, ScanPosition{30, "three"});  // beyond the log: no message
    EXPECT_EQ(s.kind, ScanStartKind::moved);
    EXPECT_EQ(s.read_from, 19u);
    EXPECT_EQ(s.last, (ScanPosition{12, "three"}));
    EXPECT_FALSE(logged("mismatch"));

    s = choose(kLog, ScanPosition{12, "two"});
    EXPECT_EQ(s.kind, ScanStartKind::moved);
    EXPECT_EQ(s.last, (ScanPosition{5, "two"}));
    EXPECT_TRUE(logged("ZUNT Log position mismatch - scanning from start"));
}

TEST_F(ScanStartTest, LineFoundOnlyAtOffsetZeroCountsAsFound) {
    ScanStart s = choose(kLog, ScanPosition{5, "one"});
    EXPECT_EQ(s.kind, ScanStartKind::moved);
    EXPECT_EQ(s.read_from, 5u);
    EXPECT_EQ(s.last, (ScanPosition{0, "one"}));
}

TEST_F(ScanStartTest, LastOfSeveralEqualLinesWins) {
    ScanStart s = choose("x\r\ny\r\nx\r\nz\r\n", ScanPosition{100, "x"});
    EXPECT_EQ(s.last, (ScanPosition{6, "x"}));
    EXPECT_EQ(s.read_from, 9u);
}

TEST_F(ScanStartTest, NotFoundOrNoFileScansWhole) {
    for (const std::optional<ScanPosition>& r :
         {std::optional<ScanPosition>{}, std::optional<ScanPosition>{ScanPosition{5, "gone"}}}) {
        ScanStart s = choose(kLog, r);
        EXPECT_EQ(s.kind, ScanStartKind::from_start);
        EXPECT_EQ(s.read_from, 0u);
        EXPECT_EQ(s.last.offset, 0u);
        EXPECT_EQ(s.last.text, r ? r->text : std::string(kNoLineSentinel));
    }
}

TEST_F(ScanStartTest, UnfinishedLastLineIsNeverMatched) {
    ScanStart s = choose("one\r\ntwo", ScanPosition{5, "two"});
    EXPECT_EQ(s.kind, ScanStartKind::from_start);
}

}  // namespace
}  // namespace zunt
