// The control file read from disk, and the line-level helpers on its bytes.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const std::string text = fdp.ConsumeRemainingBytesAsString();
    ControlSettings settings;
    ConfigState state;
    std::string keyword, value;
    read_control_file(default_env(), put_file("zunt.ctl", text), settings, state);
    split_keyword(text, keyword, value);
    expand_environment(default_env(), value);
}
