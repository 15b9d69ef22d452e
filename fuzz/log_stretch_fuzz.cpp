// A stretch of a log: reading only the lines that hold a wanted text must
// give exactly what reading every line gives, and so must reading the log
// from its file in pieces of any size by several threads.
#include "fuzz_util.h"

#include "logscan/log_pieces.h"

static std::string describe(const zunt::Stretch& s) {
    std::string d = s.text + (s.ended ? "|ended|" : "||") + (s.has_last ? std::to_string(s.last.offset) + s.last.text : "");
    for (const auto& t : s.takings) d += std::to_string(int(t.kind)) + ":" + std::to_string(t.begin) + "-" + std::to_string(t.end) + ",";
    return d;
}

// What stretches gave one after the other, whatever their number.
struct Taken {
    std::string takings, last;
    void add(const zunt::Stretch& s) {
        for (const auto& t : s.takings) takings += std::to_string(int(t.kind)) + ":" + s.text.substr(t.begin, t.end - t.begin) + "\n";
        if (s.has_last) last = std::to_string(s.last.offset) + ":" + s.last.text;
    }
};

ZUNT_FUZZ {
    const std::size_t piece_wish = fdp.ConsumeIntegralInRange<std::size_t>(1, 40);
    const std::size_t block_wish = fdp.ConsumeIntegralInRange<std::size_t>(1, 4);
    const std::size_t longest_line = fdp.ConsumeIntegralInRange<std::size_t>(1, 300);
    const std::uint64_t size_guess = fdp.ConsumeIntegralInRange<std::uint64_t>(0, 600);
    auto part = parts(fdp, 4);
    ControlSettings settings;
    settings.ignore_paths = {"d:\\ignored\\"};
    const int flags = part[3].empty() ? 0 : part[3][0];
    // The texts are looked for sixty-four places at a time, and the last
    // places one by one: blanks in front move lines from the one way to the other.
    if (part[3].size() > 1) part[0].insert(0, static_cast<unsigned char>(part[3][1]) % 160, ' ');
    const LineRules rules{settings, download_tokens({part[1], "sent:"}), (flags & 1) != 0, (flags & 2) ? &part[2] : nullptr};
    Stretch all, skimmed;
    read_lines_of(part[0], 7, rules, all);
    read_bytes(part[0], 7, rules, skimmed);
    require(describe(all) == describe(skimmed));

    // At most some sixty pieces in some sixteen blocks: each block starts a
    // thread, and an input should take a millisecond, not a second.
    PieceShape shape{std::max(piece_wish, part[0].size() / 64 + 1), 0, longest_line};
    shape.block_pieces = std::max(block_wish, part[0].size() / shape.piece_bytes / 16 + 1);
    std::unique_ptr<File> file;
    require(default_env().open(put_file("pieces.log", "012345\n" + part[0]), Access::read, Share::deny_none, file) == 0);
    Taken whole, pieces;
    whole.add(all);
    require(read_log(*file, 7, size_guess, rules, [&](const Stretch& s) { pieces.add(s); }, shape) == 0);
    require(whole.takings == pieces.takings && whole.last == pieces.last);
}
