#include "counters/initdlc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace zunt {
namespace {

InitOptions opts(int sort_by, int sort_order) {
    InitOptions o;
    o.format = CounterFormat{1, 3, false, 14};
    o.sort_by = sort_by;
    o.sort_order = sort_order;
    return o;
}

std::string rebuilt(std::string_view line, const InitOptions& o) {
    std::string out;
    append_rebuilt_line(line, o, out);
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
        const InitOptions o = opts(c.sort_by, c.order);
        Lines want;
        for (const char* k = c.want; *k; ++k) want.insert(want.end(), blocks.at(*k).begin(), blocks.at(*k).end());
        EXPECT_EQ(rebuild(in, o, hooks), want) << c.sort_by << "/" << c.order;
    }
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
        const InitOptions o = opts(1, order);
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

}  // namespace
}  // namespace zunt
