#include "logscan/log_stretch.h"

#include <gtest/gtest.h>

#include <random>

namespace zunt {
namespace {

std::string describe(const Stretch& s) {
    std::string d = s.ended ? "ended " : "";
    for (const Stretch::Taking& t : s.takings)
        d += std::to_string(static_cast<int>(t.kind)) + ":" + s.text.substr(t.begin, t.end - t.begin) + "|";
    return s.has_last ? d + " last@" + std::to_string(s.last.offset) + "=" + s.last.text : d;
}

// A log line made of pieces that matter to the reading: tokens, paths,
// blanks, CRs, backslashes, lengths around a piece's size, the line sought.
std::string random_line(std::mt19937& rng) {
    static const std::vector<std::string> parts = {
        "DL-", "sent:", "Sent-", "DL", "sent", " ", " ", "  ", "\r", "\\", "x", "MAX", "files\\a.zip", "b.TIC",
        "c:\\x\\Y.Zip", "end", "too", "q.pkt", "+ 01 Jan 00:00:00 ", "U#=", "UL-", "Jo Doe "};
    const unsigned shape = rng() % 10;
    std::string line = shape == 1 ? "MAX x" : "";
    if (shape == 0) {  // around one or two pieces long, with a token near the cut
        const std::size_t cut = kLogPieceChars * (1 + rng() % 2);
        line.assign(cut - 6 + rng() % 12, 'x');
        line.insert(std::min(line.size(), cut - 4 + rng() % 6), parts[rng() % 3] + " f.zip");
    }
    for (unsigned n = shape == 1 ? 0 : rng() % 8; n > 0; --n) line += parts[rng() % parts.size()];
    return line;
}

// Reading only the lines with a token gives exactly what reading every
// line gives: the same takings, the same last line, the same end, also
// where a Ctrl-Z ends the log.
TEST(LogStretch, SkimmingAgreesWithReadingEveryLine) {
    ControlSettings settings;
    settings.ignore_paths = {"c:\\x\\"};
    const std::string sought = "MAX x", nothing, sentinel(kNoLineSentinel);
    const LineRules all_rules[] = {{settings, download_tokens({"sent:", "Sent-"}), false, nullptr},
                                   {settings, download_tokens({"sent:", "Sent-"}), true, &sentinel},
                                   {settings, download_tokens({}), true, &sought},
                                   {settings, download_tokens({"x"}), false, &nothing}};
    std::mt19937 rng(11);
    for (int round = 0; round < 12000; ++round) {
        std::string bytes;
        for (unsigned n = rng() % 12; n > 0; --n) bytes += random_line(rng) + (rng() % 4 ? "\r\n" : "\n");
        if (rng() % 3 == 0) bytes += random_line(rng);  // unfinished
        if (rng() % 8 == 0) bytes.insert(rng() % (bytes.size() + 1), 1, '\x1a');  // the log ends there
        const std::uint64_t offset = rng() % 1000;
        Stretch lines, skimmed;
        read_lines_of(bytes, offset, all_rules[round % 4], lines);
        read_bytes(bytes, offset, all_rules[round % 4], skimmed);
        ASSERT_EQ(describe(skimmed), describe(lines)) << bytes;
    }
}

}  // namespace
}  // namespace zunt
