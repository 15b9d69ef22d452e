// Malformed and hostile input of every kind the board can hand the program:
// each run ends with a clear message or goes on gracefully (exit code 0 or
// 1, never a signal), and no list, area file, log or control file is damaged.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <thread>
#include <atomic>
#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(ZUNT_FIXTURES_DIR) + "/maximus/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kCtl =
    "farea max/farea.dat\r\nmaxfilesidx max/maxfiles.idx\r\nrelaxedindexmatch yes\r\n"
    "counterstyle 1\r\ncounterlength 3\r\nlogfile zunt.log\r\nbbslog max.log\r\nstatistics zunt.sta\r\n"
    "bbsout top.bbs\r\ntextout top.txt\r\n";
const char* const kLists[] = {"files/util/files.bbs", "lists/games.bbs", "files/docs/files.bbs"};
const char* const kKept[] = {"zunt.ctl", "max/farea.dat", "max/farea.idx", "max/maxfiles.idx", "max.log"};

std::string dl(const std::string& path) { return "+ 16 Dec 04:59:11 MAX  DL-Z " + path + "\r\n"; }

std::string garbage(std::size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return s;
}

void make_board(const Sandbox& box) {
    box.write("zunt.ctl", kCtl);
    for (const char* f : {"farea.dat", "farea.idx", "maxfiles.idx"}) box.write(std::string("max/") + f, fixture(f));
    box.write("files/util/files.bbs", fixture("filesbbs/util_files.bbs"));
    box.write("lists/games.bbs", fixture("filesbbs/games.bbs"));
    box.write("files/docs/files.bbs", fixture("filesbbs/docs_files.bbs"));
    box.write("max.log", dl("files/util/pkz204g.exe") + dl("incoming/nethack.lzh") + dl("files/docs/fts-0001.txt"));
}

// Sets bytes of a file in place.
void patch(const Sandbox& box, const std::string& name, std::size_t at, const std::string& bytes) {
    std::string s = box.read(name);
    if (s.size() < at + bytes.size()) s.resize(at + bytes.size(), '\0');
    s.replace(at, bytes.size(), bytes);
    box.write(name, s);
}

void replace_by_dir(const Sandbox& box, const std::string& name) {
    std::filesystem::remove(box.path(name));
    box.make_dir(name);
}

// A statistics file: mark 6, then the given count for bucket 0 with `present`
// entries, every other bucket empty.
std::string stat_file(unsigned bucket0_count, unsigned present, std::uint32_t mark = 6) {
    std::string s(reinterpret_cast<const char*>(&mark), 4);
    s += {static_cast<char>(bucket0_count & 0xFF), static_cast<char>(bucket0_count >> 8)};
    for (unsigned i = 0; i < present; ++i) s += "e" + std::to_string(i) + std::string(80 - 1 - std::to_string(i).size(), '\0') + std::string("\x05\0\0\0\0\0", 6);
    return s + std::string(200, '\0');
}

// The first word of each line (Ctrl-Z at the end is the old end-of-file
// mark): a list rewritten whole keeps them all.
std::vector<std::string> name_words(std::string bytes) {
    while (!bytes.empty() && bytes.back() == '\x1a') bytes.pop_back();
    std::vector<std::string> words;
    for (std::size_t at = 0; at < bytes.size(); at = bytes.find('\n', at) == std::string::npos ? bytes.size() : bytes.find('\n', at) + 1)
        words.push_back(bytes.substr(at, bytes.find_first_of(" \r\n", at) - at));
    return words;
}

struct BadInput {
    const char* what;
    std::function<void(const Sandbox&)> spoil;
    const char* message;  // the console must say this (every stop says why; "" for a run that goes on)
    int exit_code;
    std::vector<std::string> args = {"/czunt.ctl"};
};

const std::string kLong(5000, 'p');

const BadInput kBadInputs[] = {
    {"farea.dat truncated", [](auto& b) { b.write("max/farea.dat", fixture("farea.dat").substr(0, 10)); }, "No valid Maximus 3.x farea.dat", 1},
    {"farea.dat empty", [](auto& b) { b.write("max/farea.dat", ""); }, "No valid Maximus 3.x farea.dat", 1},
    {"farea.dat magic only", [](auto& b) { b.write("max/farea.dat", fixture("farea.dat").substr(0, 4)); }, "", 0},
    {"farea.dat cut inside a record", [](auto& b) { b.write("max/farea.dat", fixture("farea.dat").substr(0, 90)); }, "No valid Maximus 3.x farea.dat", 1},
    {"farea.idx pointing past the file",
     [](auto& b) { for (int r = 0; r < 3; ++r) patch(b, "max/farea.idx", r * 24 + 20, std::string("\x00\xff\xff\x7f", 4)); }, "", 0},
    {"farea.idx empty", [](auto& b) { b.write("max/farea.idx", ""); }, "", 0},
    {"heap offsets past the heap", [](auto& b) { patch(b, "max/farea.dat", 4 + 10, std::string(8, '\xff')); }, "No valid Maximus 3.x farea.dat", 1},
    {"record length below 64", [](auto& b) { patch(b, "max/farea.dat", 4, std::string("\x0a\x00", 2)); }, "No valid Maximus 3.x farea.dat", 1},
    {"maxfiles.idx area numbers past farea.idx",
     [](auto& b) { for (int r = 0; r < 9; ++r) patch(b, "max/maxfiles.idx", r * 16 + 12, "\xff\x7f"); }, "No area for \"nethack.lzh\", skipping file!", 0},
    {"maxfiles.idx truncated", [](auto& b) { b.write("max/maxfiles.idx", fixture("maxfiles.idx").substr(0, 20)); }, "", 0},
    {"statistics with 60 entries in a bucket", [](auto& b) { b.write("zunt.sta", stat_file(60, 60)); }, "", 0},
    {"statistics cut short", [](auto& b) { b.write("zunt.sta", stat_file(3, 3).substr(0, 100)); }, "", 0},
    {"statistics claiming 65535 entries", [](auto& b) { b.write("zunt.sta", stat_file(65535, 2)); }, "", 0},
    {"statistics of another format", [](auto& b) { b.write("zunt.sta", stat_file(0, 0, 5)); }, "Incompatible/old stat file", 0},
    {".znt with a huge length", [](auto& b) { b.write("max.znt", std::string("\0\0\0\0\xff\xff\xff\xff", 8) + "x"); }, "", 0},
    {".znt pointing past the log", [](auto& b) { b.write("max.znt", std::string("\xff\xff\xff\x7f\x03\0\0\0abc", 11)); }, "", 0},
    {"binary garbage log", [](auto& b) { b.write("max.log", garbage(20000, 4)); }, "", 0},
    {"NUL bytes in log lines",
     [](auto& b) { b.write("max.log", dl(std::string("files/util/pk\0z.exe", 19)) + std::string(100, '\0') + dl("files/util/pkz204g.exe")); }, "", 0},
    {"log line of 100 000 characters",
     [](auto& b) { b.write("max.log", dl("files/util/" + std::string(100000, 'a') + ".zip") + dl("files/util/pkz204g.exe")); }, "", 0},
    {"FILES.BBS line of 100 000 characters",
     [](auto& b) { b.write("files/util/files.bbs", "PKZ204G.EXE [ 1] " + std::string(100000, 'd') + "\r\n"); }, "", 0},
    {"NUL bytes in FILES.BBS",
     [](auto& b) { b.write("files/util/files.bbs", std::string("PKZ\0204G.EXE [1] x\r\nPKZ204G.EXE [\0] y\r\n\0\r\n", 39)); }, "", 0},
    {"Ctrl-Z inside FILES.BBS", [](auto& b) { b.write("files/util/files.bbs", "A.ZIP x\r\n\x1a\r\nPKZ204G.EXE [ 1] y\r\n\x1a\x1a"); }, "", 0},
    {"empty FILES.BBS", [](auto& b) { b.write("files/util/files.bbs", ""); }, "pkz204g.exe not found in files/util/files.bbs, skipped!", 0},
    {"download path of 5 000 characters", [](auto& b) { b.write("max.log", dl("files/util/" + kLong + ".zip")); }, "", 0},
    {"log path of 5 000 characters", [](auto& b) { b.write("zunt.ctl", kCtl + "bbslog " + kLong + "\r\n"); }, "Illegal config line in zunt.ctl", 1},
    {"control file path of 5 000 characters", [](auto&) {}, "Control file name too long", 1, {"/c" + kLong}},
    {"names with [ and * in FILES.BBS and logs",
     [](auto& b) {
         b.write("files/util/files.bbs", "[A-Z]*.EXE [ 1] any\r\n*.* x\r\n[ [2] y\r\n");
         b.write("max.log", dl("files/util/[.exe") + dl("files/util/*.*") + dl("files/util/pkz204g.exe"));
     }, "", 0},
    {"empty control file", [](auto& b) { b.write("zunt.ctl", ""); }, "Need CounterStyle", 1},
    {"control file of binary garbage", [](auto& b) { b.write("zunt.ctl", garbage(2000, 5)); }, "Unknown config line in zunt.ctl", 1},
    {"directory as control file", [](auto& b) { replace_by_dir(b, "zunt.ctl"); }, "Can't open zunt.ctl (Is a directory)", 1},
    {"directory as FILES.BBS", [](auto& b) { replace_by_dir(b, "files/util/files.bbs"); }, "Couldn't open files/util/files.bbs, skipped!", 0},
    {"directory as log", [](auto& b) { replace_by_dir(b, "max.log"); }, "Parsing max.log unable to open, skipped", 0},
    {"directory as statistics file", [](auto& b) { b.make_dir("zunt.sta"); }, "Couldn't open stat file: Is a directory", 1},
    {"directory as farea.dat", [](auto& b) { replace_by_dir(b, "max/farea.dat"); }, "Couldn't open farea.dat/farea.idx: Is a directory", 1},
    {"directory as scan position file", [](auto& b) { b.make_dir("max.znt"); }, "Couldn't write max.znt", 0},
    {"ASCII area file of garbage", [](auto& b) {
         b.write("zunt.ctl", kCtl + "asciiareafile areas.txt\r\n");
         b.write("areas.txt", garbage(3000, 6) + "\r\none\r\n" + kLong + " " + kLong + "\r\n");
     }, "Syntax error in ascii area file", 1},
    {"exclusion file of garbage in a /s run", [](auto& b) {
         b.write("zunt.ctl", kCtl + "excludefromlist excl.txt\r\n");
         b.write("excl.txt", garbage(3000, 7) + "\r\n[\r\n*[z-a]*\r\n");
         b.write("zunt.sta", stat_file(2, 2));
     }, "", 0, {"/czunt.ctl", "/s"}},
    {"garbage statistics in a /s run", [](auto& b) { b.write("zunt.sta", garbage(3000, 8)); }, "error reading from stat file", 1, {"/czunt.ctl", "/s"}},
    {"initialization of hostile lists", [](auto& b) {
         b.write("files/util/files.bbs", "PKZ204G.EXE [99999999999999999999999999] big\r\n" +
                                             std::string(100000, 'x') + "\r\n\0\0\r\n[*] (12> odd\r\n");
     }, "", 0, {"/czunt.ctl", "/i"}},
};

class BadInputE2E : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputE2E, EndsCleanlyAndDamagesNothing) {
    const BadInput& c = GetParam();
    Sandbox box;
    make_board(box);
    c.spoil(box);
    std::map<std::string, std::optional<std::string>> before;
    for (const char* f : kKept) before[f] = box.exists(f) ? std::optional(box.read(f)) : std::nullopt;
    for (const char* f : kLists) before[f] = box.exists(f) ? std::optional(box.read(f)) : std::nullopt;
    RunResult r = box.run(c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    for (const char* f : kKept)
        if (std::filesystem::is_regular_file(box.path(f))) { EXPECT_EQ(box.read(f), before[f]) << f; }
    for (const char* f : kLists)
        if (before[f] && std::filesystem::is_regular_file(box.path(f))) {
            EXPECT_EQ(name_words(box.read(f)), name_words(*before[f])) << f;
        }
}

std::string row_name(const ::testing::TestParamInfo<BadInput>& info) {
    std::string name = info.param.what;
    for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Table, BadInputE2E, ::testing::ValuesIn(kBadInputs), row_name);

// A named pipe where a log or a list is expected is refused at once, like a
// directory, instead of holding the run until someone writes to it. (Should
// the program wait, a helper opens and closes each pipe after a few seconds,
// so that the test fails instead of hanging.)
TEST(NamedPipeE2E, PipeAsLogOrListIsSkipped) {
    ZUNT_SKIP_UNDER_WINDOWS("named pipes in the file system are a POSIX thing");
    Sandbox box;
    make_board(box);
    box.write("max.log", dl("files/docs/fts-0001.txt"));
    box.write("zunt.ctl", kCtl + "bbslog pipe.log\r\n");
    std::filesystem::remove(box.path("files/docs/files.bbs"));
    const std::vector<std::string> pipes = {box.path("pipe.log"), box.path("files/docs/files.bbs")};
    for (const std::string& p : pipes) ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
    std::atomic<bool> done{false};
    std::thread releaser([&] {
        for (int i = 0; i < 40 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        while (!done) {
            for (const std::string& p : pipes)
                if (int fd = ::open(p.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    RunResult r = box.run({"/czunt.ctl"});
    done = true;
    releaser.join();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("\xFE Parsing pipe.log unable to open, skipped\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  Couldn't open files/docs/files.bbs, skipped!\n"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace zunt::e2e
