// Writes the benchmark boards: control files, ASCII area files, FILES.BBS
// lists and logs, always the same bytes for the same arguments.
//
//   gen_board <out-dir> <b1|b2|b3|all> [scale]
//
// scale 1 gives the full sizes (B1: a ~1 GiB log of 10 million lines over
// 20 areas of 1 000 files; B2: one 20 000-line FILES.BBS of ~1.5 MB; B3: 200
// areas of 2 000 file lines and a ~200 MB log with 500 000 downloads of
// 50 000 distinct files). Smaller scales shrink every count alike, so quick
// runs and tests can use the same shapes.
//
// Paths inside the boards are relative and written with backslashes, as the
// board's DOS-born tools write them; run zunt from the board's directory.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// splitmix64: the same numbers on every host and library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }

private:
    std::uint64_t s_;
};

// A buffered file of CR LF lines.
class Out {
public:
    explicit Out(const fs::path& p) : f_(p, std::ios::binary) {
        if (!f_) {
            std::fprintf(stderr, "gen_board: cannot create %s\n", p.string().c_str());
            std::exit(1);
        }
        buf_.reserve(1 << 20);
    }
    ~Out() { flush(); }
    void line(const std::string& s) {
        buf_ += s;
        buf_ += "\r\n";
        if (buf_.size() >= (1 << 20)) flush();
    }
    void flush() {
        f_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
        buf_.clear();
    }

private:
    std::ofstream f_;
    std::string buf_;
};

std::string fmt(const char* f, auto... args) {
    char b[512];
    std::snprintf(b, sizeof b, f, args...);
    return b;
}

long scaled(double scale, long full, long least) {
    return std::max(least, static_cast<long>(static_cast<double>(full) * scale + 0.5));
}

// The time stamp of the n-th log line: one line every few seconds.
std::string stamp(long n) {
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    long sec = n * 3;
    long day = (sec / 86400) % 28 + 1, month = (sec / (86400 * 28)) % 12;
    return fmt("%02ld %s %02ld:%02ld:%02ld", day, months[month], (sec / 3600) % 24,
               (sec / 60) % 60, sec % 60);
}

// Lower-case words without "-", ":" or "=", so that filler never looks like
// a download, upload or caller line.
std::string filler(Rng& r, std::size_t len) {
    static const char* words[] = {"session", "station", "zmodem", "packet", "netmail", "echomail",
                                  "handshake", "password", "protected", "address", "mailer",
                                  "nodelist", "outbound", "inbound", "queue", "busy", "caller",
                                  "baud", "carrier", "connect", "compressed", "areafix"};
    std::string s;
    while (s.size() < len) {
        if (!s.empty()) s += ' ';
        s += words[r.below(sizeof words / sizeof *words)];
    }
    return s;
}

// One line of other traffic, of the given message length.
std::string other_line(Rng& r, long n, std::size_t len) {
    const std::string t = stamp(n);
    switch (r.below(4)) {
        case 0: return "+ " + t + fmt(" [%lu] ", 1000 + r.below(9000)) + filler(r, len);
        case 1: return "  " + t + " MAX  " + filler(r, len);
        case 2: return "# " + t + fmt(" [%lu] recv ", 1000 + r.below(9000)) + filler(r, len);
        default: return "= " + t + " BINK " + filler(r, len);
    }
}

std::string file_name(long k) { return fmt("f%05ld.zip", k); }

// A FILES.BBS line for a file: most carry a counter, some do not yet.
std::string list_line(Rng& r, const std::string& name, std::size_t desc_len) {
    std::string l = name;
    l.resize(std::max<std::size_t>(l.size() + 1, 13), ' ');
    if (r.below(10) < 8) l += fmt("[%3lu] ", r.below(200));
    l += filler(r, desc_len);
    return l;
}

struct Area {
    std::string name, dir;  // dir with its trailing backslash
    std::vector<std::string> files;
};

void write_areas(const fs::path& board, const std::vector<Area>& areas, Rng& r,
                 std::size_t desc_len, bool shuffled) {
    Out a(board / "areas.txt");
    for (const Area& area : areas) {
        a.line(area.name + " " + area.dir);
        std::string d = area.dir;
        std::replace(d.begin(), d.end(), '\\', '/');
        fs::create_directories(board / d);
        std::vector<std::string> files = area.files;
        if (shuffled)
            for (std::size_t i = files.size(); i > 1; --i) std::swap(files[i - 1], files[r.below(i)]);
        Out l(board / d / "files.bbs");
        l.line("-- " + area.name + " -- generated list");
        l.line("");
        for (const std::string& f : files) l.line(list_line(r, f, desc_len));
    }
}

void write_control(const fs::path& p, const std::string& log, const std::string& extra) {
    Out c(p);
    c.line("AsciiAreaFile areas.txt");
    c.line("LogFile zunt.log");
    c.line("BbsLog " + log);
    c.line("MailerString sent:");
    c.line("MailerString Sent-");
    c.line("CounterStyle 1");
    c.line("CounterLength 3");
    c.line("Statistics zunt.sta");
    if (!extra.empty()) c.line(extra);
}

// A download line: a board "DL-" line, or one of the two mailers' forms.
std::string download_line(Rng& r, long n, int kind, const std::string& path) {
    const std::string t = stamp(n);
    if (kind == 0) return "* " + t + " MAX  DL-Z " + path;
    if (kind == 1)
        return "+ " + t + fmt(" [%lu] sent: ", 1000 + r.below(9000)) + path +
               fmt(" (%lu, %lu.%02lu CPS, 2:5020/%lu@fidonet)", 1000 + r.below(900000),
                   100 + r.below(9000), r.below(100), r.below(5000));
    return "* " + t + " BINK Sent-H " + path + fmt(" (%lu bytes)", 1000 + r.below(900000));
}

std::string path_of(const Area& a, long k) { return a.dir + a.files[static_cast<std::size_t>(k)]; }

void gen_b1(const fs::path& out, double scale) {
    const fs::path board = out / "b1";
    fs::create_directories(board / "logs");
    Rng r(1);
    const long per_area = scaled(scale, 1000, 2), lines = scaled(scale, 10'000'000, 100);
    std::vector<Area> areas(20);
    for (long a = 0; a < 20; ++a) {
        areas[a] = {fmt("Area%02ld", a), fmt("files\\a%02ld\\", a), {}};
        for (long k = 0; k < per_area; ++k) areas[a].files.push_back(file_name(a * per_area + k));
    }
    write_areas(board, areas, r, 40, false);
    write_control(board / "zunt.ctl", "logs\\b1.log", "");
    Out log(board / "logs" / "b1.log");
    for (long n = 0; n < lines; ++n) {
        const std::uint64_t pick = r.below(100);
        if (pick < 15) {
            const Area& a = areas[r.below(20)];
            int kind = pick < 10 ? 0 : static_cast<int>(1 + pick % 2);
            log.line(download_line(r, n, kind, path_of(a, static_cast<long>(r.below(per_area)))));
        } else {
            log.line(other_line(r, n, 30 + r.below(110)));
        }
    }
}

void gen_b2(const fs::path& out, double scale) {
    const fs::path board = out / "b2";
    fs::create_directories(board);
    Rng r(2);
    Out l(board / "files.bbs");
    const long lines = scaled(scale, 20'000, 10);
    // Mostly file lines, with a section comment now and then and some
    // descriptions continued on a second line.
    for (long k = 0, written = 0; written < lines; ++k) {
        if (k % 500 == 0) l.line("-- Section " + std::to_string(k / 500) + " --"), ++written;
        l.line(list_line(r, file_name(k), 40 + r.below(30))), ++written;
        if (k % 10 == 3) l.line("              " + filler(r, 30 + r.below(20))), ++written;
    }
}

void gen_b3(const fs::path& out, double scale) {
    const fs::path board = out / "b3";
    fs::create_directories(board / "logs");
    Rng r(3);
    const long n_areas = scaled(scale, 200, 2), per_area = scaled(scale, 2000, 8);
    const long per_area_dl = per_area / 8;  // every 8th file is downloaded
    const long distinct = n_areas * per_area_dl, downloads = scaled(scale, 500'000, 20);
    const long other = scaled(scale, 1'500'000, 20);
    std::vector<Area> areas(static_cast<std::size_t>(n_areas));
    for (long a = 0; a < n_areas; ++a) {
        areas[a] = {fmt("Area%03ld", a), fmt("files\\b%03ld\\", a), {}};
        for (long k = 0; k < per_area; ++k) areas[a].files.push_back(file_name(k));
    }
    write_areas(board, areas, r, 40, true);
    write_control(board / "zunt.ctl", "logs\\b3.log", "");
    write_control(board / "init.ctl", "logs\\b3.log", "SortBy name\r\nSortOrder ascending");
    Out log(board / "logs" / "b3.log");
    long n = 0, dl = 0;
    const long total = downloads + other;
    for (; n < total; ++n) {
        // Downloads spread evenly through the traffic.
        if (dl < downloads && r.below(static_cast<std::uint64_t>(total - n)) <
                                  static_cast<std::uint64_t>(downloads - dl)) {
            // The first `distinct` downloads visit every downloaded file once.
            long j = dl < distinct ? (dl * 7919) % distinct
                                   : static_cast<long>(r.below(static_cast<std::uint64_t>(distinct)));
            const Area& a = areas[static_cast<std::size_t>(j % n_areas)];
            log.line(download_line(r, n, static_cast<int>(r.below(3)), path_of(a, (j / n_areas) * 8)));
            ++dl;
        } else {
            log.line(other_line(r, n, 40 + r.below(80)));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: gen_board <out-dir> <b1|b2|b3|all> [scale]\n");
        return 2;
    }
    const fs::path out = argv[1];
    const std::string which = argv[2];
    const double scale = argc > 3 ? std::atof(argv[3]) : 1.0;
    if (scale <= 0) {
        std::fprintf(stderr, "gen_board: scale must be above 0\n");
        return 2;
    }
    if (which == "b1" || which == "all") gen_b1(out, scale);
    if (which == "b2" || which == "all") gen_b2(out, scale);
    if (which == "b3" || which == "all") gen_b3(out, scale);
    return 0;
}
