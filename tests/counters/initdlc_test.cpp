#include "counters/initdlc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace zunt {
namespace {

InitOptions opts(int style = 1, int length = 3, bool zero_pad = false, int max_desc = 0) {
    InitOptions o;
    o.format = CounterFormat{style, length, zero_pad, 14};
    o.max_desc_len = max_desc;
    return o;
}

std::string rebuilt(std::string_view line, const InitOptions& o, long long* count = nullptr) {
    std::string out;
    const long long n = append_rebuilt_line(line, o, out);
    if (count) *count = n;
    return out;
}

using Lines = std::vector<std::string>;

// The lines rebuilt as one list's bytes, each line ended by CR LF.
Lines rebuild(const Lines& in, const InitOptions& o, const InitHooks& hooks) {
    std::string bytes, out;
    for (const std::string& l : in) bytes += l + "\r\n";
    RebuildBuffers buffers;
    rebuild_list_bytes(bytes, o, hooks, buffers, out);
    Lines lines;
    for (std::size_t at = 0, end; (end = out.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(out.substr(at, end - at));
    return lines;
}

// The kinds the initialization scenarios do not show: a tab starts a file
// line, DEL a separator.
TEST(InitdlcClassify, TabAndDel) {
    EXPECT_EQ(classify_line("\tFILE.ZIP x"), LineKind::file);
    EXPECT_EQ(classify_line("\x7F" "x"), LineKind::separator);
}

TEST(InitdlcRebuild, FileLines) {
    const struct {
        const char* line;
        InitOptions options;
        const char* want;
        long long count;
    } cases[] = {
        {"FILE.ZIP  Text", opts(), "FILE.ZIP      [  0] Text", 0},
        {"FILE.ZIP  Text", opts(1, 3, true), "FILE.ZIP      [000] Text", 0},
        {"FILE.ZIP (12) Text", opts(), "FILE.ZIP      [ 12] Text", 12},
        {"FILE.ZIP [12) Text", opts(), "FILE.ZIP      [ 12] Text", 12},
        {"VERYLONGNAME.ZIP        [5] Text", opts(), "VERYLONGNAME.ZIP [  5] Text", 5},
        {"A.ZIP          [5] x", opts(), "A.ZIP         [  5] x", 5},
        {"FILE.ZIP [0] x", opts(2), "FILE.ZIP      {  0} x", 0},
        {"FILE.ZIP /b <1234567> x  \\", opts(), "FILE.ZIP /b   [1234567] x", 1234567},
        {"\tFILE.ZIP x", opts(), "\tFILE.ZIP     [  0] x", 0},
        {"FILE.ZIP", opts(), "FILE.ZIP      [  0] ", 0},
        {"FILE.ZIP  [ 7] A long description", opts(1, 3, false, 20), "FILE.ZIP      [  7] ", 7},
        {"F.ZIP x", opts(1, 3, false, 40), "F.ZIP         [  0] x", 0},
    };
    for (const auto& c : cases) {
        long long count = -1;
        EXPECT_EQ(rebuilt(c.line, c.options, &count), c.want) << c.line;
        EXPECT_EQ(count, c.count) << c.line;
    }
}

TEST(InitdlcDateKey, SortsByDate) {
    // 15 August 1995, 10:30:00 and 04:00:00; 1 January 1998 00:00:00.
    EXPECT_EQ(format_date_key(7951, 21440), "0795121440");
    EXPECT_EQ(format_date_key(7951, 8192), "0795108192");
    EXPECT_LT(format_date_key(7951, 8192), format_date_key(7951, 21440));
    EXPECT_LT(format_date_key(7951, 21440), format_date_key(9249, 0));
    EXPECT_LT(std::string(kMissingFileDateKey), format_date_key(33, 0));
}

TEST(InitdlcList, BlocksAndTheirSorting) {
    const Lines in = {"-- Head", "b.zip Bee", " bee more", "+bee plus", "A.ZIP Ay", "",
                      "d.zip Dee", "c.zip [3] Cee", "\x10" "!X", "f.zip F", "e.zip E"};
    const std::map<std::string, std::string> dates = {
        {"b.zip", "0795121440"}, {"A.ZIP", "0795108192"}, {"d.zip", "0924900000"}};
    InitHooks hooks;
    hooks.date_key = [&](std::string_view word) {
        auto it = dates.find(std::string(word));
        return it == dates.end() ? std::string(kMissingFileDateKey) : it->second;
    };
    // Each block by its first letter ("_" the empty line); the separators stay put.
    const std::map<char, Lines> blocks = {
        {'H', {"-- Head"}}, {'b', {"b.zip         [  0] Bee", " bee more", "+bee plus"}}, {'A', {"A.ZIP         [  0] Ay"}},
        {'_', {""}}, {'d', {"d.zip         [  0] Dee"}}, {'c', {"c.zip         [  3] Cee"}}, {'X', {"\x10" "!X"}},
        {'f', {"f.zip         [  0] F"}}, {'e', {"e.zip         [  0] E"}}};
    const struct {
        int sort_by, order;
        const char* want;
    } cases[] = {{0, 1, "HbA_dcXfe"}, {1, 1, "HAb_cdXef"}, {1, 2, "HbA_dcXfe"}, {2, 1, "HAb_cdXfe"}, {2, 2, "HbA_dcXfe"}};
    for (const auto& c : cases) {
        InitOptions o = opts();
        o.sort_by = c.sort_by;
        o.sort_order = c.order;
        Lines want;
        for (const char* k = c.want; *k; ++k) want.insert(want.end(), blocks.at(*k).begin(), blocks.at(*k).end());
        EXPECT_EQ(rebuild(in, o, hooks), want) << c.sort_by << "/" << c.order;
    }
}

TEST(InitdlcList, ContinuationWithoutFileLineStaysPut) {
    InitOptions o = opts();
    o.sort_by = 1;
    const Lines in = {"-- x", " orphan", "b.zip B", "a.zip A"};
    const Lines want = {"-- x", " orphan", "a.zip         [  0] A", "b.zip         [  0] B"};
    EXPECT_EQ(rebuild(in, o, {}), want);
}

// Sorting by name orders the rebuilt lines as a stable sort of their bytes
// would, each with its continuation lines: names sharing long heads, names
// shorter than others they begin, bytes above 0x7F and NUL bytes, repeats.
TEST(InitdlcList, NameSortIsAStableSortOfTheRebuiltLines) {
    const std::vector<std::string> names = {"a.zip", "a", "A.ZIP", "longname_shared_head_1.zip",
                                            "longname_shared_head_2.zip", "longname", "\xE4.zip",
                                            std::string("ab\0c", 4), std::string("ab", 2), "zz"};
    const std::vector<std::string> descs = {"x", "y  [3] y", "(12) twelve", "", "x"};
    unsigned seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int order : {1, 2}) {
        InitOptions o = opts();
        o.sort_by = 1;
        o.sort_order = order;
        Lines in;
        std::vector<Lines> groups;  // each file line rebuilt, with its continuation lines
        for (int i = 0; i < 300; ++i) {
            if (i % 7 == 6 && !groups.empty()) {
                in.push_back(" more " + std::to_string(i));
                groups.back().push_back(in.back());
                continue;
            }
            in.push_back(names[next() % names.size()] + std::string(next() % 3, ' ') + " " + descs[next() % descs.size()]);
            groups.push_back({rebuilt(in.back(), o)});
        }
        std::stable_sort(groups.begin(), groups.end(), [order](const Lines& a, const Lines& b) {
            return order == 1 ? a[0] < b[0] : b[0] < a[0];
        });
        Lines want;
        for (const Lines& g : groups) want.insert(want.end(), g.begin(), g.end());
        EXPECT_EQ(rebuild(in, o, {}), want) << order;
    }
}

// The list as bytes: any line end in, CR LF out, the end's Ctrl-Z gone, hard
// spaces replaced in the bytes read; the same buffers serve the next list.
TEST(InitdlcList, BytesWithTheirBuffersReused) {
    InitOptions o = opts();
    o.sort_by = 1;
    o.kill_hard_space = true;
    const struct {
        std::string in, want;
    } cases[] = {
        {"b.zip B\n a\xFF" "b\r\nA.ZIP [4] A\r\r\n-- x\nlast.zip", "A.ZIP         [  4] A\r\nb.zip         [  0] B\r\n"
                                                               " a b\r\n-- x\r\nlast.zip      [  0] \r\n"},
        {"c.zip\xFF" "C\x1a\x1a", "c.zip         [  0] C\r\n"},
        {"", ""},
        {"\r\n\n", "\r\n\r\n"},
        // A last line without a line end that is written as read stays so;
        // a file line, or a line that the sort moved up, gets its line end.
        {"a.zip A\r\n-- end \\", "a.zip         [  0] A\r\n-- end \\"},
        {"a.zip A\n more\x1a", "a.zip         [  0] A\r\n more"},
        {"b.zip B\na.zip A\n more", "a.zip         [  0] A\r\n more\r\nb.zip         [  0] B\r\n"},
    };
    RebuildBuffers buffers;
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            std::string bytes = c.in, out;
            rebuild_list_bytes(bytes, o, {}, buffers, out);
            EXPECT_EQ(out, c.want) << c.in;
            EXPECT_EQ(bytes.find('\xFF'), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace zunt
