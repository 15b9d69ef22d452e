#include "counters/files_bbs_update.h"

#include <gtest/gtest.h>

#include <random>

#include "config/text_util.h"

namespace zunt {
namespace {

UpdateOptions opts(int style = 1, int length = 3, bool zero_pad = false, bool kill_hard = false) {
    return UpdateOptions{CounterFormat{style, length, zero_pad, 14}, kill_hard};
}

struct LineCase {
    const char* line;
    UpdateOptions options;
    const char* file;
    long long n;
    const char* want;
    UpdateResult code;
    long long count;
};

TEST(ApplyDownload, OneLine) {
    const LineCase cases[] = {
        {"FILE.ZIP  [ 41] Nice tool", opts(), "file.zip", 2, "FILE.ZIP  [ 43] Nice tool", UpdateResult::ok, 43},
        {"FILE.ZIP  [ 41] Nice tool", opts(2), "file.zip", 2, "FILE.ZIP  { 43} Nice tool", UpdateResult::ok, 43},
        {"file.zip Nice tool", opts(), "file.zip", 1, "file.zip      [  1] Nice tool", UpdateResult::new_counter, 0},
        {"file.zip Nice tool", opts(), "file.zip", 12, "file.zip      [ 12] Nice tool", UpdateResult::new_counter, 0},
        {"FILE.ZIP [12) text", opts(), "file.zip", 1, "FILE.ZIP      [  1] [12) text", UpdateResult::new_counter, 0},
        {"FILE.ZIP {40000} x", opts(2, 3), "file.zip", 1, "FILE.ZIP {40001} x", UpdateResult::ok, 40001},
        {"FILE.ZIP /b [ 3] Text  \\\r", opts(1, 4, true), "file.zip", 1,
         "FILE.ZIP /b [0004] Text", UpdateResult::ok, 4},
        {"FILE.ZIP  (  9)   wide   ", opts(1, 3), "file.zip", 991, "FILE.ZIP  [1000]   wide", UpdateResult::ok, 1000},
        {"*.zip Archives", opts(), "tool.zip", 1, "*.zip         [  1] Archives", UpdateResult::new_counter, 0},
        {"***** Decor *****", opts(), "any.arj", 1, "*****         [  1] Decor *****", UpdateResult::new_counter, 0},
        {" file.zip continued  ", opts(), "file.zip", 1, " file.zip continued", UpdateResult::not_found, 0},
        {"-- Comment --   ", opts(), "file.zip", 1, "-- Comment --", UpdateResult::not_found, 0},
        {"OTHER.ZIP [ 1] x", opts(), "file.zip", 1, "OTHER.ZIP [ 1] x", UpdateResult::not_found, 0},
        {"file[1].zip [ 1] x", opts(), "file[1].zip", 1, "file[1].zip [  2] x", UpdateResult::ok, 2},
        {"file[1].zip [ 1] x", opts(), "file1.zip", 1, "file[1].zip [  2] x", UpdateResult::ok, 2},
        {"FILE.ZIP\xFF[ 1]\xFFText", opts(1, 3, false, true), "file.zip", 1, "FILE.ZIP [  2] Text", UpdateResult::ok, 2},
        {"FILE.ZIP\xFF[ 1]\xFFText", opts(), "file.zip", 1, "FILE.ZIP\xFF[ 1]\xFFText", UpdateResult::not_found, 0},
        {"FILE.ZIP\tTab [ 1]", opts(), "file.zip", 1, "FILE.ZIP\tTab [ 1]", UpdateResult::not_found, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines{c.line};
        DownloadOutcome got = apply_download(lines, c.options, c.file, c.n);
        EXPECT_EQ(lines[0], c.want) << c.line;
        EXPECT_EQ(got.code, c.code) << c.line;
        EXPECT_EQ(c.code == UpdateResult::ok ? got.new_count : 0, c.count) << c.line;
    }
}

// A line is counted exactly when its lower-cased name word is the file's
// name or a pattern for it, whatever the word's case, length, wildcards
// and the bytes around them.
TEST(ApplyDownload, LineMatchesExactlyWhenItsNameWordDoes) {
    const std::vector<std::string> names = {"f10.zip", "f1", "", "f[1].zip", "ab"};
    const std::string bytes = "fF10.zip*?[] ab";
    std::mt19937 rng(3);
    for (int round = 0; round < 20000; ++round) {
        std::string line(rng() % 12, ' ');
        for (char& c : line) c = bytes[rng() % bytes.size()];
        const std::string stripped(strip_line_end(std::string_view(line)));
        const std::string word = lower_ascii(std::string_view(stripped).substr(0, stripped.find(' ')));
        for (const std::string& name : names) {
            std::vector<std::string> lines{line};
            const bool matched = apply_download(lines, opts(), name, 1).code != UpdateResult::not_found;
            ASSERT_EQ(matched, !line.empty() && name_word_matches(word, name)) << line << " / " << name;
        }
    }
}

TEST(ApplyDownload, SeveralMatchingLines) {
    struct Case {
        std::vector<std::string> lines;
        UpdateResult code;
        long long count;
        std::vector<std::string> want;
    } cases[] = {
        {{"a.zip x", "*.zip [ 5] y", "A.ZIP [ 7] z"}, UpdateResult::ok, 6,
         {"a.zip         [  1] x", "*.zip [  6] y", "A.ZIP [  8] z"}},
        {{"a.zip x", "a.zip y"}, UpdateResult::new_counter, 0,
         {"a.zip         [  1] x", "a.zip         [  1] y"}},
        {{"b.zip x", "-a.zip"}, UpdateResult::not_found, 0, {"b.zip x", "-a.zip"}},
        {{}, UpdateResult::not_found, 0, {}},
        // Empty lines stay; the others lose trailing blanks and backslash.
        {{"", "\r", "A.ZIP [ 1]  ", "  ", "B.ZIP x\\"}, UpdateResult::ok, 2, {"", "", "A.ZIP [  2]", "", "B.ZIP x"}},
    };
    for (auto& c : cases) {
        DownloadOutcome got = apply_download(c.lines, opts(), "a.zip", 1);
        EXPECT_EQ(got.code, c.code);
        EXPECT_EQ(c.code == UpdateResult::ok ? got.new_count : 0, c.count);
        EXPECT_EQ(c.lines, c.want);
    }
}

}  // namespace
}  // namespace zunt
