// The exclusion-pattern file named by the control file, tried on a name.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const auto part = parts(fdp, 2);
    const std::string ctl = "counterstyle 1\r\ncounterlength 3\r\nfarea x\r\nexcludefromlist " + put_file("exclude.lst", part[0]);
    ControlSettings settings;
    ConfigState state;
    read_control_file(default_env(), put_file("zunt.ctl", ctl + "\r\n"), settings, state);
    is_excluded(settings.exclude_patterns, part[1]);
}
