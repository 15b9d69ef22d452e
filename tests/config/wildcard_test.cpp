#include "config/wildcard.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

TEST(WildcardMatch, Table) {
    struct Case {
        const char* pattern;
        const char* text;
        bool want;
    } cases[] = {
        {"*", "", true},           {"*", "anything", true},     {"*.*", "noext", false},
        {"*.*", "a.b", true},      {"*.zip", "file.zip", true}, {"*.zip", ".zip", true},
        {"*.zip", "file.zipx", false},
        {"file?.zip", "file1.zip", true}, {"file?.zip", "file.zip", false},
        {"file?.zip", "file12.zip", false}, {"?", "", false},
        {"file[0-9].zip", "file7.zip", true}, {"file[0-9].zip", "filea.zip", false},
        {"file[0-9].zip", "filez.zip", false},
        {"[abc]x", "bx", true},    {"[!a]x", "!x", true},       {"[!a]x", "ax", true},
        {"**", "abc", true},       {"a*", "a", true},           {"*a", "ab", false},
        {"FILE.ZIP", "file.zip", false}, {"file[1].zip", "file[1].zip", false},
        {"file[1].zip", "file1.zip", true}, {"", "", true},     {"", "a", false},
        {"[a-c-e]", "d", true},    {"[a-c-e]", "f", false},     {"[c-a]", "b", false},
        {"[]x", "x", false},       {"a[b", "a[b", true},        {"[-a]", "-", true},
        {"[a-]", "-", true},       {"x*", "x", true},           {"*[a]", "", false},
        {"*x*y*z", "aaxbbyccz", true}, {"*x*y*z", "aaxbbyccza", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wildcard_match(c.pattern, c.text), c.want) << c.pattern << " vs " << c.text;
}

TEST(WildcardMatch, ManyStarsAnswerAtOnce) {
    std::string pattern, text(60, 'a');
    for (int i = 0; i < 40; ++i) pattern += "*a";
    pattern += "b";
    EXPECT_FALSE(wildcard_match(pattern, text));
    pattern.pop_back();
    EXPECT_TRUE(wildcard_match(pattern, text));
}

}  // namespace
}  // namespace zunt
