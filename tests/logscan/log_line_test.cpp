#include "logscan/log_line.h"
#include "logscan/text_finder.h"

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

// Looking for several texts at once gives the first place of any, as plain
// searches for each would, with the vectors of either width: runs of
// places a step long and the places left after the last whole step. So do
// the searches for either of two bytes and for a byte going back.
TEST(LogLine, FindAnyAgreesWithPlainSearches) {
    const std::vector<std::string> texts = {"DL-", "sent:", "Sent-", "-", "ss:", "::", "aa", "0123456789abcdefXYZ-"};
    const std::string bytes = "DLsent:-S a\n";
    std::mt19937 rng(5);
    for (int round = 0; round < 4000; ++round) {
        std::string line(rng() % 420, ' ');
        for (char& c : line) c = bytes[rng() % bytes.size()];
        std::vector<std::string_view> wanted;
        for (unsigned n = 1 + rng() % 4; n > 0; --n) wanted.push_back(texts[rng() % texts.size()]);
        const TextSet set = text_set(wanted);
        for (std::size_t from = 0; from <= line.size() + 1; from += 1 + rng() % 40) {
            std::size_t plain = std::string_view::npos;
            for (std::string_view t : wanted) plain = std::min(plain, std::string_view(line).find(t, from));
            ASSERT_EQ(find_any(set, line, from), plain) << line << " from " << from;
            ASSERT_EQ(find_any_narrow(set, line, from), plain) << line << " from " << from;
            const std::string_view v = line;
            ASSERT_EQ(find_either(v, from, ':', '\n'), std::min(v.find(':', from), v.find('\n', from)));
            ASSERT_EQ(find_last_before(v, from, 'S'), from == 0 ? std::string_view::npos : v.rfind('S', from - 1));
        }
    }
}

}  // namespace
}  // namespace zunt
