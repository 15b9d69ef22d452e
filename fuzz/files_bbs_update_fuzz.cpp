// The FILES.BBS update of one list, in memory: the lines as read, one
// download counted, the lines as written.
#include "counters/files_bbs_update.h"
#include "counters/list_rewrite.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    UpdateOptions options;
    options.format = fuzz::consume_counter_format(fdp);
    options.kill_hard_space = fdp.ConsumeBool();
    long long n = fdp.ConsumeIntegralInRange<long long>(-5, 1'000'000'000'000LL);
    auto parts = fuzz::split_parts(fdp.ConsumeRemainingBytesAsString(), 2);
    std::vector<std::string_view> views;
    list_line_views(parts[0], views);
    std::vector<std::string> lines(views.begin(), views.end());
    name_word_matches(parts[1], parts[0].substr(0, 64));
    apply_download(lines, options, parts[1], n);
    std::string joined;
    join_list_lines(lines, joined);
    // A second download of the same file on the rewritten list.
    apply_download(lines, options, parts[1], 1);
    return 0;
}
