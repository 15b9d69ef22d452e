#include <gtest/gtest.h>

#include <random>

#include "logscan/log_line.h"

namespace zunt {
namespace {

// The quick search must give the same place as a plain search, for tokens
// whose rare byte stands first, last, twice or in a line full of near
// misses.
TEST(FindToken, SameAnswerAsAPlainSearch) {
    const std::vector<std::string> tokens = {"DL-", "sent:", "Sent-", "-", "a", "ss:", "::", "-DL-"};
    const std::string bytes = "DLsent:-S a";
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        std::string line(rng() % 24, ' ');
        for (char& c : line) c = bytes[rng() % bytes.size()];
        for (const std::string& t : tokens)
            ASSERT_EQ(find_token(line, t), std::string_view(line).find(t)) << line << " / " << t;
    }
    const std::pair<const char*, const char*> fixed[] = {
        {"", "DL-"}, {"DL", "DL-"}, {"DL-", "DL-"}, {"x DL-Z DL-", "DL-"}, {"- -sent:", "sent:"}};
    for (const auto& [line, t] : fixed)
        EXPECT_EQ(find_token(line, t), std::string_view(line).find(t)) << line;
}

}  // namespace
}  // namespace zunt
