#include "stats/top_files.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

TEST(TopFiles, SortKeepsFileOrderAmongEqualCounts) {
    std::vector<TopEntry> e = {{"A", 1}, {"B", 2}, {"C", 1}, {"D", 2}, {"E", 65535}};
    sort_top_files(e);
    std::string order;
    for (const auto& x : e) order += x.name;
    EXPECT_EQ(order, "EBDAC");
}

// The title centred in 74 columns, the odd blank on the right; a longer
// one pushes the border out rather than being cut.
TEST(TopFiles, TitleWidths) {
    struct Case { std::string name, line; };
    const Case cases[] = {
        {"ab", " \xBA" + std::string(28, ' ') + "The Top Files at ab" + std::string(28, ' ') + " \xBA"},
        {std::string(57, 'N'), " \xBA The Top Files at " + std::string(57, 'N') + " \xBA"},
        {std::string(59, 'N'), " \xBA The Top Files at " + std::string(59, 'N') + " \xBA"},
    };
    for (const Case& c : cases) {
        ControlSettings s;
        s.system_name = c.name;
        const std::string text = format_text_bulletin({}, s);
        const std::size_t from = text.find("\r\n") + 2;
        EXPECT_EQ(text.substr(from, text.find("\r\n", from) - from), c.line) << c.name;
    }
}

}  // namespace
}  // namespace zunt
