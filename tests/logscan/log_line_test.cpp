#include "logscan/log_line.h"

#include <gtest/gtest.h>

#include <random>

namespace zunt {
namespace {

// The quick token search must give the same place as a plain search, for
// tokens whose first or last byte stands twice or in near misses, from any
// place and near the end of the text.
TEST(LogLine, FindTokenAgreesWithAPlainSearch) {
    const std::vector<std::string> tokens = {"DL-", "sent:", "Sent-", "-",  "a",
                                             "ss:", "::",    "-DL-",  "aa", "0123456789abcdefXY"};
    const std::string bytes = "DLsent:-S a\n";
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        std::string line(rng() % (round % 2 ? 24 : 70), ' ');
        for (char& c : line) c = bytes[rng() % bytes.size()];
        for (const std::string& t : tokens) {
            const std::size_t from = round % 3 ? rng() % (line.size() + 2) : 0;
            ASSERT_EQ(find_token_from(line, t, from), std::string_view(line).find(t, from))
                << line << " / " << t << " / " << from;
        }
    }
    EXPECT_EQ(download_tokens({}), (std::vector<std::string>{"DL-"}));
    EXPECT_EQ(download_tokens({"", "sent:", "DL-"}), (std::vector<std::string>{"sent:", "DL-"}));
}

}  // namespace
}  // namespace zunt
