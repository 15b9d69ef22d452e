#include "areas/area_table.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

// The bucket is the byte sum at 16 bits, modulo 101; no run shows it.
TEST(AreaTable, HashIsTheByteSumModulo101) {
    EXPECT_EQ(area_hash("c:\\files\\util\\"), 97);  // 14 bytes summing to 1410
    EXPECT_EQ(area_hash("\xFF"), 255 % 101);
    EXPECT_EQ(area_hash(std::string(300, '\xFF')), 76500 % 65536 % 101);
}

}  // namespace
}  // namespace zunt
