// A stretch of a log: reading only the lines that hold a wanted text must
// give exactly what reading every line gives.
#include "fuzz_util.h"

static std::string describe(const zunt::Stretch& s) {
    std::string d = s.text + (s.ended ? "|ended|" : "||") + (s.has_last ? std::to_string(s.last.offset) + s.last.text : "");
    for (const auto& t : s.takings) d += std::to_string(int(t.kind)) + ":" + std::to_string(t.begin) + "-" + std::to_string(t.end) + ",";
    return d;
}

ZUNT_FUZZ {
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
}
