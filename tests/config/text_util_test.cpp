#include "config/text_util.h"

#include <gtest/gtest.h>

#include <string>

namespace zunt {
namespace {

// Texts of every length come out whole, also past the first try's room.
TEST(TextUtil, StrprintfKeepsLongTextsWhole) {
    for (std::size_t n : {0u, 1u, 254u, 255u, 256u, 257u, 5000u}) {
        const std::string word(n, 'x');
        EXPECT_EQ(strprintf("<%s|%d>", word.c_str(), 42), "<" + word + "|42>") << n;
    }
    EXPECT_EQ(strprintf("%s", ""), "");
}

}  // namespace
}  // namespace zunt
