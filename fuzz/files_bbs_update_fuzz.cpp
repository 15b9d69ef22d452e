// The FILES.BBS update of one list, in memory: the lines as read, one
// download counted, the lines as written, a second download on them.
#include "fuzz_util.h"

ZUNT_FUZZ {
    UpdateOptions options;
    options.format = consume_counter_format(fdp);
    options.kill_hard_space = fdp.ConsumeBool();
    const long long n = fdp.ConsumeIntegralInRange<long long>(-5, 1'000'000'000'000LL);
    const auto part = parts(fdp, 2);
    std::vector<std::string_view> views;
    list_line_views(part[0], views);
    std::vector<std::string> lines(views.begin(), views.end());
    name_word_matches(part[1], part[0].substr(0, 64));
    apply_download(lines, options, part[1], n);
    std::string joined;
    join_list_lines(lines, joined);
    apply_download(lines, options, part[1], 1);
}
