// The ASCII area file: one line as the parser sees it, and the whole file
// through the loader.
#include "areas/area_config.h"
#include "areas/ascii_area_file.h"
#include "fuzz_util.h"
#include "platform/env.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    bool list_mode = fdp.ConsumeBool();
    std::string text = fdp.ConsumeRemainingBytesAsString();
    FareaArea area;
    parse_ascii_area_line(text, area);
    std::string path = fuzz::put_file("areas.txt", text);
    AreaConfig config;
    load_area_config(default_env(), std::nullopt, path, list_mode, config);
    release_area_config(config);
    return 0;
}
