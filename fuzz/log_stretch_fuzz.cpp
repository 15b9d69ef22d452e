// A stretch of a log: reading only the lines that hold a wanted text must
// give exactly what reading every line gives.
#include <cstdlib>

#include "fuzz_util.h"
#include "logscan/log_stretch.h"

namespace {

bool same(const zunt::Stretch& a, const zunt::Stretch& b) {
    if (a.text != b.text || a.takings.size() != b.takings.size() || a.has_last != b.has_last ||
        a.ended != b.ended)
        return false;
    for (std::size_t i = 0; i < a.takings.size(); ++i)
        if (a.takings[i].kind != b.takings[i].kind || a.takings[i].begin != b.takings[i].begin ||
            a.takings[i].end != b.takings[i].end)
            return false;
    return !a.has_last || (a.last.offset == b.last.offset && a.last.text == b.last.text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    auto parts = fuzz::split_parts(std::string(reinterpret_cast<const char*>(data), size), 4);
    ControlSettings settings;
    settings.ignore_paths = {"d:\\ignored\\"};
    const bool uploads = !parts[3].empty() && (parts[3][0] & 1);
    const bool seek = !parts[3].empty() && (parts[3][0] & 2);
    // The texts are looked for sixty-four places at a time, and the last
    // places one by one: a run of blanks in front moves the lines across
    // from the one way to the other.
    if (parts[3].size() > 1) parts[0].insert(0, static_cast<unsigned char>(parts[3][1]) % 160, ' ');
    const LineRules rules{settings, download_tokens({parts[1], "sent:"}), uploads,
                          seek ? &parts[2] : nullptr};
    Stretch all, skimmed;
    read_lines_of(parts[0], 7, rules, all);
    read_bytes(parts[0], 7, rules, skimmed);
    if (!same(all, skimmed)) std::abort();
    return 0;
}
