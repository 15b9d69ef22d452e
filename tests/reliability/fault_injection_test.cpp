// Whole counting and initialization runs on a small board with the Nth disk
// operation failing, for every N until a run no longer meets a failure.
// After each, nothing the board keeps may be damaged: every list is whole
// under its own name with its old or its new content, its backup is the
// older backup or the list's previous content, and the statistics and scan
// position files are old or new. A clean run afterwards must succeed.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "e2e/e2e_util.h"
#include "logscan/scan_position.h"
#include "run/driver.h"
#include "stats/stat_table.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

using Files = std::map<std::string, std::optional<std::string>>;  // nullopt: absent

const std::string kCtl =
    "asciiareafile areas.txt\r\ncounterstyle 1\r\ncounterlength 2\r\nlogfile zunt.log\r\n"
    "bbslog max.log\r\nmailerlog binkd.log\r\nmailerstring sent:\r\nstatistics zunt.sta\r\n"
    "uploadlog uploads.log\r\n";

std::string board(const std::string& message) { return "* 16 Dec 04:59:11 MAX  " + message + "\r\n"; }
std::string sent(const std::string& path) {
    return "+ 16 Dec 06:10:05 [4242] sent: " + path + " (12345, 3456.78 CPS, 2:5020/1)\r\n";
}

// The files a run may change, as the board starts. max.log was read up to
// its first two lines by an earlier run.
Files initial_board() {
    const std::string counted = board("DL-Z files\\util\\zip.zip") + board("Joe Caller U#=3 logged on");
    const std::string last = "* 16 Dec 04:59:11 MAX  Joe Caller U#=3 logged on";
    ScanPosition pos{counted.size() - last.size() - 2, last};
    StatTable stats;
    update_stat_entry(stats, "files\\util\\zip.zip", StatUpdate::set, 4, 1000);
    return {
        {"zunt.ctl", kCtl},
        {"areas.txt", "Util files\\util\r\nGames files\\games\r\nDocs files\\docs\r\n"},
        {"files/util/files.bbs", "tool.zip [ 3] A handy tool\r\nedit.zip The editor\r\nzip.zip [12] Packer\r\n"},
        {"files/util/files.bak", "tool.zip [ 1] An older tool list\r\n"},
        {"files/games/files.bbs", "chess.zip [ 9] Chess\r\ntetris.zip Blocks\r\n"},
        {"files/games/files.bak", std::nullopt},
        {"files/docs/files.bbs", "faq.txt [ 0] Questions\r\n"},
        {"files/docs/files.bak", std::nullopt},
        {"max.log", counted + board("DL-Z files\\util\\tool.zip") + board("DL-Z files\\games\\chess.zip") +
                        board("UL-Z files\\util\\new.zip") + board("DL-Z files\\util\\edit.zip")},
        {"max.znt", encode_scan_position(pos)},
        {"binkd.log", sent("files\\util\\tool.zip") + sent("files\\games\\tetris.zip") +
                          sent("files\\docs\\faq.txt")},
        {"binkd.znt", std::nullopt},
        {"zunt.sta", encode_statistics(stats)},
    };
}

void lay_out(const e2e::Sandbox& box, const Files& files) {
    for (const auto& [name, bytes] : files) {
        std::filesystem::remove(box.path(name));
        if (bytes) box.write(name, *bytes);
    }
    std::filesystem::remove(box.path("zunt.log"));
    std::filesystem::remove(box.path("uploads.log"));
}

// The statistics file with every entry's time of change set to 0, so that
// runs in different seconds compare equal; a file that does not decode is
// kept as it is.
std::string without_times(const std::string& bytes) {
    StatTable table;
    if (decode_statistics(bytes, table) != StatReadResult::read) return bytes;
    for (auto& bucket : table.buckets)
        for (StatEntry& e : bucket) e.time = 0;
    std::string out = encode_statistics(table);
    return out.size() == bytes.size() ? out : bytes;
}

Files snapshot(const e2e::Sandbox& box, const Files& like) {
    Files now;
    for (const auto& [name, bytes] : like)
        now[name] = box.exists(name) ? std::optional(box.read(name)) : std::nullopt;
    if (now["zunt.sta"]) now["zunt.sta"] = without_times(*now["zunt.sta"]);
    return now;
}

// Runs zunt in the sandbox (its current directory for the run).
struct RunOutcome {
    int exit_code;
    long operations;
    bool fired;
    std::string console;
};
RunOutcome run_in(const e2e::Sandbox& box, long fail_at, bool init) {
    testing::FaultEnv env(default_env(), fail_at);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(box.dir());
    char argv0[] = "zunt", ctl[] = "/czunt.ctl", i[] = "/i";
    char* argv[] = {argv0, ctl, i};
    const int code = run_zunt(env, init ? 3 : 2, argv);
    std::filesystem::current_path(cwd);
    return {code, env.operations(), env.fired(), env.err_text};
}

bool is_list(const std::string& name) { return name.ends_with(".bbs"); }
std::string list_of(const std::string& bak) { return bak.substr(0, bak.size() - 4) + ".bbs"; }

// The first word of every line: a list rewritten whole keeps them all, in
// their order, whatever its counters say.
std::vector<std::string> name_words(const std::string& bytes) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) return {"(no line end)"};
        std::string line = bytes.substr(at, end - at);
        words.push_back(line.substr(0, line.find(' ')));
        at = end + 2;
    }
    return words;
}

bool whole_statistics(const std::string& bytes) {
    StatTable table;
    return decode_statistics(bytes, table) == StatReadResult::read && encode_statistics(table) == bytes;
}

// What a run may leave behind, whatever failed: every list whole under its
// own name; every backup the older backup or a whole copy of the list; the
// statistics file old, new or whole; every scan position file old or new.
std::string damage(const Files& before, const Files& new_files, const Files& now) {
    std::string found;
    for (const auto& [name, bytes] : now) {
        bool ok = true;
        if (name.ends_with(".bbs")) {
            ok = bytes && name_words(*bytes) == name_words(*before.at(name));
        } else if (name.ends_with(".bak")) {
            ok = bytes == before.at(name) ||
                 (bytes && name_words(*bytes) == name_words(*before.at(list_of(name))));
        } else if (name == "zunt.sta") {
            ok = bytes == before.at(name) || bytes == new_files.at(name) ||
                 (bytes && whole_statistics(*bytes));
        } else if (name.ends_with(".znt")) {
            ok = bytes == before.at(name) || bytes == new_files.at(name);
        }
        if (!ok) found += " " + name + " is " + (bytes ? "[" + *bytes + "]" : "missing");
    }
    return found;
}

// Lists and statistics that differ from what one whole run gives.
std::string differences(const Files& new_files, const Files& now) {
    std::string found;
    for (const auto& [name, bytes] : now)
        if ((is_list(name) || name == "zunt.sta") && bytes != new_files.at(name)) found += " " + name;
    return found;
}

bool reports_failure(const std::string& console) {
    for (const char* word : {"rror", "ouldn't", "an't", "unable", "skipped"})
        if (console.find(word) != std::string::npos) return true;
    return false;
}

// Returns the number of failure points exercised.
long inject_every_failure(bool init) {
    e2e::Sandbox box;
    Files old_files = initial_board();
    old_files["zunt.sta"] = without_times(*old_files["zunt.sta"]);
    lay_out(box, old_files);
    RunOutcome clean = run_in(box, 0, init);
    EXPECT_EQ(clean.exit_code, 0) << clean.console;
    const Files new_files = snapshot(box, old_files);
    EXPECT_NE(new_files.at("files/util/files.bbs"), old_files.at("files/util/files.bbs"));
    EXPECT_NE(new_files.at("zunt.sta"), old_files.at("zunt.sta"));
    long points = 0;
    for (long n = 1;; ++n) {
        lay_out(box, old_files);
        RunOutcome r = run_in(box, n, init);
        if (!r.fired) break;
        ++points;
        SCOPED_TRACE("failing operation " + std::to_string(n) + ", console:\n" + r.console);
        EXPECT_TRUE(r.exit_code == 0 || r.exit_code == 1);
        // A stop after a failure always says why.
        if (r.exit_code == 1) {
            EXPECT_NE(r.console.find("\n  "), std::string::npos);
        }
        const Files after = snapshot(box, old_files);
        EXPECT_EQ(damage(old_files, new_files, after), "");
        // The next run, free of failures, finds nothing it cannot mend, and
        // leaves the board as one whole run would have: nothing lost,
        // nothing counted twice.
        RunOutcome again = run_in(box, 0, init);
        EXPECT_EQ(again.exit_code, 0) << again.console;
        const Files mended = snapshot(box, old_files);
        EXPECT_EQ(damage(after, new_files, mended), "") << "after the next run";
        // Only a failure the run reported may leave counts for good.
        EXPECT_TRUE(differences(new_files, mended).empty() || reports_failure(r.console))
            << differences(new_files, mended);
        if (::testing::Test::HasFailure()) break;
    }
    return points;
}

TEST(FaultInjection, CountingRun) {
    long points = inject_every_failure(false);
    EXPECT_GT(points, 40);
    std::printf("counting run: %ld failure points exercised\n", points);
}

TEST(FaultInjection, InitializationRun) {
    long points = inject_every_failure(true);
    EXPECT_GT(points, 30);
    std::printf("initialization run: %ld failure points exercised\n", points);
}

}  // namespace
}  // namespace zunt
