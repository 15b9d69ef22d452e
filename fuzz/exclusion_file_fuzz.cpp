// The exclusion-pattern file named by the control file, and the patterns it
// gives tried on a name.
#include "config/control_file.h"
#include "config/wildcard.h"
#include "fuzz_util.h"
#include "platform/env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    auto parts = fuzz::split_parts(std::string(reinterpret_cast<const char*>(data), size), 2);
    std::string exclusions = fuzz::put_file("exclude.lst", parts[0]);
    std::string ctl = fuzz::put_file(
        "zunt.ctl", "counterstyle 1\r\ncounterlength 3\r\nfarea x\r\nexcludefromlist " + exclusions + "\r\n");
    ControlSettings settings;
    ConfigState state;
    read_control_file(default_env(), ctl, settings, state);
    is_excluded(settings.exclude_patterns, parts[1]);
    return 0;
}
