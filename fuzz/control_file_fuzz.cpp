// The control file as a whole, read from disk as the run driver reads it.
#include "config/control_file.h"
#include "fuzz_util.h"
#include "platform/env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string path = fuzz::put_file("zunt.ctl", text);
    ControlSettings settings;
    ConfigState state;
    read_control_file(default_env(), path, settings, state);
    // The line-level helpers on the same bytes.
    std::string keyword, value;
    split_keyword(text, keyword, value);
    expand_environment(default_env(), value);
    return 0;
}
