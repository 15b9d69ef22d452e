#include "logscan/scan_position.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

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

}  // namespace
}  // namespace zunt
