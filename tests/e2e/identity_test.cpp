// One file, one identity: the area file, the board log and a mailer log
// that spell a file in different ways (either separator, another case, a
// drive letter, a relative and an absolute path, "..") give it one counter,
// one statistics entry and one line in the bulletins.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e/e2e_util.h"
#include "stats/stat_table.h"

namespace zunt::e2e {
namespace {

const std::string kCtl =
    "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\n"
    "bbslog max.log\r\nmailerlog binkd.log\r\nmailerstring sent:\r\nstatistics zunt.sta\r\n"
    "textout top.txt\r\nbbsout top.bbs\r\n";

std::string board(const std::string& path) { return "* 16 Dec 04:59:11 MAX  DL-Z " + path + "\r\n"; }
std::string sent(const std::string& path) {
    return "+ 16 Dec 06:10:05 [4242] sent: " + path + " (12345, 3456.78 CPS, 2:5020/1)\r\n";
}

// The sandbox as a drive-letter path in upper case with "\": C: mapped onto
// it through ZUNT_DRIVE_C, or, for a Windows program under wine, Z: (the
// host's root).
struct Drive {
    std::string root;
    EnvVars vars;
};
Drive drive_of(const Sandbox& box) {
    if (!testing_windows_binary()) return {"C:", {{"ZUNT_DRIVE_C", box.dir()}}};
    std::string root = "Z:" + box.dir();
    std::replace(root.begin(), root.end(), '/', '\\');
    std::transform(root.begin(), root.end(), root.begin(), [](unsigned char c) { return std::toupper(c); });
    return {root, {}};
}

// Util in "files\util" (relative), Games by its absolute path with "/".
Drive make_board(const Sandbox& box) {
    box.write("zunt.ctl", kCtl);
    box.write("areas.txt", "Util files\\util\r\nGames " + box.dir() + "/files/games\r\n");
    box.write("files/util/files.bbs", "zip.zip [12] Packer\r\ntool.zip [ 3] Tool\r\n");
    box.write("files/games/files.bbs", "chess.zip [ 9] Chess\r\n");
    Drive d = drive_of(box);
    box.write("max.log", board("files\\util\\zip.zip") + board(d.root + "\\FILES\\UTIL\\ZIP.ZIP") +
                             board(box.dir() + "/files/games/chess.zip"));
    box.write("binkd.log", sent(box.dir() + "/files/util/zip.zip") + sent("files/games/../util/Zip.Zip") +
                               sent("files\\GAMES\\chess.zip"));
    return d;
}

std::string pass_report(const std::string& err) {
    const std::string head = "\xFE Scanning FILES.BBS\n", tail = "\xFE Writing statistics...\n";
    const std::size_t at = err.find(head);
    if (at == std::string::npos) return "no pass: " + err;
    return err.substr(at + head.size(), err.find(tail) - at - head.size());
}

std::vector<long long> counts_of(const StatCounts& stats) {
    std::vector<long long> counts;
    for (const auto& [name, count] : stats) counts.push_back(count);
    std::sort(counts.begin(), counts.end());
    return counts;
}

std::size_t occurrences(const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

TEST(IdentityE2E, EverySpellingCountsForOneFile) {
    struct Case { std::vector<std::string> args; std::string report; std::string util_list; };
    const Case cases[] = {
        // Sorted: each file once, by the sum of its spellings.
        {{"/czunt.ctl"},
         "  Incremented DLC for chess.zip by 2 to 11\n  Incremented DLC for zip.zip by 4 to 16\n",
         "zip.zip [16] Packer\r\ntool.zip [ 3] Tool\r\n"},
        // In log order: neighbours naming one file merge, however spelled.
        {{"/czunt.ctl", "ns"},
         "  Incremented DLC for zip.zip by 2 to 14\n  Incremented DLC for chess.zip by 1 to 10\n"
         "  Incremented DLC for zip.zip by 2 to 16\n  Incremented DLC for chess.zip by 1 to 11\n",
         "zip.zip [16] Packer\r\ntool.zip [ 3] Tool\r\n"},
    };
    for (const Case& c : cases) {
        Sandbox box;
        const Drive d = make_board(box);
        RunResult r = box.run(c.args, d.vars);
        EXPECT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(pass_report(r.err), c.report) << c.args.size();
        EXPECT_EQ(box.read("files/util/files.bbs"), c.util_list);
        EXPECT_EQ(box.read("files/games/files.bbs"), "chess.zip [11] Chess\r\n");
        EXPECT_EQ(box.read("zunt.log").find("No FILES.BBS"), std::string::npos) << box.read("zunt.log");
        const StatCounts stats = stat_counts(box.read("zunt.sta"));
        EXPECT_EQ(counts_of(stats), (std::vector<long long>{2, 4})) << c.args.size();
        r = box.run({"/czunt.ctl", "/s"}, d.vars);
        EXPECT_EQ(r.exit_code, 0) << r.err;
        for (const char* out : {"top.txt", "top.bbs"}) {
            EXPECT_EQ(occurrences(box.read(out), "ZIP.ZIP"), 1u) << out;
            EXPECT_EQ(occurrences(box.read(out), "CHESS.ZIP"), 1u) << out;
        }
    }
}

// The entries an initialization run made are the ones a counting run finds.
TEST(IdentityE2E, InitializationThenCountingRun) {
    Sandbox box;
    const Drive d = make_board(box);
    RunResult r = box.run({"/czunt.ctl", "/i"}, d.vars);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(counts_of(stat_counts(box.read("zunt.sta"))), (std::vector<long long>{3, 9, 12}));
    r = box.run({"/czunt.ctl"}, d.vars);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(counts_of(stat_counts(box.read("zunt.sta"))), (std::vector<long long>{3, 11, 16}));
}

// A statistics file that holds one file under two spellings: the entry
// written first keeps its place, the counts are added (and held at 65535 in
// the file), the later time is kept.
TEST(IdentityE2E, DuplicateSpellingsInOldStatisticsMerge) {
    Sandbox box;
    const Drive d = make_board(box);
    box.write("max.log", board("files\\games\\chess.zip"));
    box.write("binkd.log", "");
    struct Old { std::string name; std::uint32_t count, time; };
    const Old olds[] = {{"files\\util\\zip.zip", 65000, 300}, {"FILES/UTIL/ZIP.ZIP", 600, 900},
                        {"files\\util\\tool.zip", 2, 100}, {"files/util/./TOOL.zip", 3, 50}};
    StatTable old;
    for (const Old& o : olds) {
        StatEntry e;
        std::copy(o.name.begin(), o.name.end(), e.name_field.begin());
        e.count = o.count;
        e.time = o.time;
        old.buckets[static_cast<std::size_t>(stat_bucket_of(o.name))].push_back(e);
    }
    box.write("zunt.sta", encode_statistics(old));
    // In the file's order of buckets, which spelling of each comes first.
    auto first_of = [](const Old& a, const Old& b) {
        return stat_bucket_of(a.name) <= stat_bucket_of(b.name) ? a : b;
    };
    const Old zip = first_of(olds[0], olds[1]), tool = first_of(olds[2], olds[3]);
    RunResult r = box.run({"/czunt.ctl"}, d.vars);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    StatTable now;
    ASSERT_EQ(decode_statistics(box.read("zunt.sta"), now), StatReadResult::read);
    std::vector<std::tuple<int, std::string, std::uint32_t, std::uint32_t>> got;
    for (std::size_t b = 0; b < now.buckets.size(); ++b)
        for (const StatEntry& e : now.buckets[b])
            if (e.name().find("chess") == std::string_view::npos)
                got.emplace_back(static_cast<int>(b), std::string(e.name()), e.count, e.time);
    std::vector<std::tuple<int, std::string, std::uint32_t, std::uint32_t>> want = {
        {stat_bucket_of(zip.name), zip.name, 65535, 900}, {stat_bucket_of(tool.name), tool.name, 5, 100}};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

}  // namespace
}  // namespace zunt::e2e
