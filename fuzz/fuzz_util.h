// Shared pieces of the fuzz targets: a scratch directory of the process for
// the readers that only take a path, and small helpers over the fuzzer's bytes.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "counters/counter_field.h"

namespace zunt::fuzz {

// A directory of this process, made once.
inline const std::string& scratch_dir() {
    // Never destroyed: the exit handler that removes the directory runs
    // after the destructors of statics made before it was registered.
    static const std::string& dir = *[] {
        auto* templ = new std::string("/tmp/zunt_fuzz_XXXXXX");
        if (!::mkdtemp(templ->data())) std::abort();
        std::atexit([] { std::filesystem::remove_all(scratch_dir()); });
        return templ;
    }();
    return dir;
}

// Writes `bytes` to a file of the scratch directory; returns its path.
inline std::string put_file(const std::string& name, const std::string& bytes) {
    std::string path = scratch_dir() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(),
                                                                  static_cast<long>(bytes.size()));
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

inline void drop_file(const std::string& name) { std::remove((scratch_dir() + "/" + name).c_str()); }

// The input cut into `n` parts at "\x01\x01" marks (the last part takes the
// rest; missing parts are empty), so that seeds stay readable:
// "part one\x01\x01part two". Numbers a target needs are taken first from
// the input's end with FuzzedDataProvider::ConsumeIntegral.
inline std::vector<std::string> split_parts(const std::string& bytes, std::size_t n) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < n) {
        std::size_t mark = bytes.find("\x01\x01", start);
        if (mark == std::string::npos) break;
        parts.push_back(bytes.substr(start, mark - start));
        start = mark + 2;
    }
    parts.push_back(start <= bytes.size() ? bytes.substr(start) : std::string());
    parts.resize(n);
    return parts;
}

}  // namespace zunt::fuzz
