#include "counters/files_bbs_update.h"

#include <gtest/gtest.h>

#include <random>

#include "config/text_util.h"

namespace zunt {
namespace {

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
            const bool matched = apply_download(lines, UpdateOptions{CounterFormat{1, 3, false, 14}, false}, name, 1).code != UpdateResult::not_found;
            ASSERT_EQ(matched, !line.empty() && name_word_matches(word, name)) << line << " / " << name;
        }
    }
}

}  // namespace
}  // namespace zunt
