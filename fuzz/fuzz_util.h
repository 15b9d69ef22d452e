// Shared pieces of the fuzz targets: every header they reach, the entry
// point, a scratch directory for the readers that only take a path, and
// small helpers over the fuzzer's bytes. A target is written as
//   ZUNT_FUZZ { ... fdp ... }
// with `fdp` the FuzzedDataProvider over the input, inside namespace zunt.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "areas/area_config.h"
#include "areas/ascii_area_file.h"
#include "areas/farea_reader.h"
#include "areas/maxfiles_index.h"
#include "config/activity_log.h"
#include "config/control_file.h"
#include "config/wildcard.h"
#include "counters/counter_field.h"
#include "counters/files_bbs_update.h"
#include "counters/initdlc.h"
#include "counters/list_rewrite.h"
#include "list/download_list.h"
#include "logscan/log_line.h"
#include "logscan/log_scanner.h"
#include "logscan/log_stretch.h"
#include "logscan/scan_position.h"
#include "platform/env.h"
#include "platform/transaction.h"
#include "stats/stat_table.h"

namespace zunt::fuzz {

void one_input(FuzzedDataProvider& fdp);

// A property every input must keep; a broken one is a finding.
inline void require(bool holds) {
    if (!holds) std::abort();
}

// A path in a directory of this process, made at the first call and
// removed at exit.
inline std::string scratch(const std::string& name) {
    static char dir[] = "/tmp/zunt_fuzz_XXXXXX";
    static const bool made = ::mkdtemp(dir) && std::atexit([] { std::filesystem::remove_all(dir); }) == 0;
    require(made);
    return std::string(dir) + "/" + name;
}

// Writes `bytes` to a scratch file (removes it instead when they are empty
// and `drop_empty`); returns its path.
inline std::string put_file(const std::string& name, const std::string& bytes, bool drop_empty = false) {
    const std::string path = scratch(name);
    if (drop_empty && bytes.empty())
        std::remove(path.c_str());
    else
        std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
    return path;
}

// A counter format of any style, width and column.
inline CounterFormat consume_counter_format(FuzzedDataProvider& fdp) {
    CounterFormat fmt;
    fmt.style = fdp.ConsumeIntegralInRange(1, 4);
    fmt.length = fdp.ConsumeIntegralInRange(1, 6);
    fmt.zero_pad = fdp.ConsumeBool();
    fmt.tabulate_column = fdp.ConsumeIntegralInRange(0, 1024);
    return fmt;
}

// The rest of the input cut into `n` parts at "\x01\x01" marks (the last
// part takes the rest; missing parts are empty), so that seeds stay
// readable: "part one\x01\x01part two". Numbers a target needs are taken
// first, from the input's end, with FuzzedDataProvider::ConsumeIntegral.
inline std::vector<std::string> parts(FuzzedDataProvider& fdp, std::size_t n) {
    const std::string bytes = fdp.ConsumeRemainingBytesAsString();
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t mark; out.size() + 1 < n && (mark = bytes.find("\x01\x01", start)) != std::string::npos;
         start = mark + 2)
        out.push_back(bytes.substr(start, mark - start));
    out.push_back(bytes.substr(start));
    out.resize(n);
    return out;
}

}  // namespace zunt::fuzz

#define ZUNT_FUZZ                                                                                                \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                                    \
        FuzzedDataProvider fdp(data, size);                                                                      \
        return zunt::fuzz::one_input(fdp), 0;                                                                    \
    }                                                                                                            \
    void zunt::fuzz::one_input(FuzzedDataProvider& fdp)
