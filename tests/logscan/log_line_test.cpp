#include "logscan/log_line.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace zunt {
namespace {

const std::string kMax = "+ 16 Dec 04:59:11 MAX  ";

TEST(LogLine, FindDownload) {
    const std::vector<std::string> tokens = download_tokens({"sent:", "Sending"});
    const auto none = LineDownload::none, excluded = LineDownload::excluded, counted = LineDownload::counted;
    const std::tuple<std::string, LineDownload, const char*> cases[] = {  // line, result, path if any
        {kMax + "DL-Z D:\\FILES\\UTIL\\TOOL.ZIP", counted, "d:\\files\\util\\tool.zip"},
        // binkd with a 7-digit process id.
        {"+ 16 Dec 04:59:11 [1234567] sent: /srv/a.zip (12345, 3456.78 CPS, 2:5020/1)", counted, "/srv/a.zip"},
        {"DL-X c:\\a.zip", counted, "c:\\a.zip"},
        {kMax + "DL-Z d:\\files\\timeout.zip", excluded, ""},
        {kMax + "DL-Z d:\\out\\00ff0001.pkt", excluded, ""},
        {kMax + "DL-Z d:\\in\\a1b2.tic", LineDownload::listed, "d:\\in\\a1b2.tic"},
        // Tokens are tried in order; the first found decides, even when its
        // file is excluded.
        {"+ 16 Dec 04:59:11 [1] sent: x.zip DL-Z y.zip", counted, "x.zip"},
        {"+ 16 Dec 04:59:11 [1] DL-Z y.zip Sending x.zip", counted, "x.zip"},
        {"+ 16 Dec 04:59:11 [1] sent: x.pkt DL-Z y.zip", excluded, ""},
        {kMax + "Caller logged off", none, ""}, {kMax + "DL-Z", none, ""}, {"DL-", none, ""}, {"", none, ""},
        {kMax + "DL-Z  d:\\a.zip", none, ""},
    };
    for (const auto& [line, want, want_path] : cases) {
        std::string path = "?";
        EXPECT_EQ(find_download(line, tokens, path), want) << line;
        if (*want_path) {
            EXPECT_EQ(path, want_path) << line;
        }
    }
    EXPECT_EQ(download_tokens({}), (std::vector<std::string>{"DL-"}));
    EXPECT_EQ(download_tokens({"", "sent:", "DL-"}), (std::vector<std::string>{"sent:", "DL-"}));
}

TEST(LogLine, ExclusionLists) {
    const std::tuple<const char*, const char*, bool> cases[] = {  // name, extension, excluded
        {"end", ".zip", true}, {"ending", ".zip", false}, {"a", ".su0", true}, {"a", ".sun", true},
        {"a", ".zip", false},  {"a", "", false},          {"xeniaqut", "", true}, {"a", ".zic", true},
        {"a", ".tic", false},  {"a", ".x.pkt", true},     {"a", "..mo", true},  {"a", ".s", false},
        {"a", ".", false},     {"a", ".pk", false},       {"a", ".PKT", false}, {"a", ".qwk", true},
    };
    for (const auto& [name, ext, excluded] : cases) EXPECT_EQ(is_excluded_file(name, ext), excluded) << name << ext;
}

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
}

}  // namespace
}  // namespace zunt
