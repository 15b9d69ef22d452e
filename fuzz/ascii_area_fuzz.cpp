// The ASCII area file: one line as the parser sees it, and the whole file.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const bool list_mode = fdp.ConsumeBool();
    const std::string text = fdp.ConsumeRemainingBytesAsString();
    FareaArea area;
    AreaConfig config;
    parse_ascii_area_line(text, area);
    load_area_config(default_env(), std::nullopt, put_file("areas.txt", text), list_mode, config);
    release_area_config(config);
}
