// One log line: the download and upload recognisers.
#include "fuzz_util.h"
#include "logscan/log_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    auto parts = fuzz::split_parts(std::string(reinterpret_cast<const char*>(data), size), 2);
    std::vector<std::string> tokens = download_tokens({parts[1], "sent:"});
    std::string path;
    find_download(parts[0], tokens, path);
    std::string uploader = uploader_of(parts[0]);
    upload_entry(parts[0], uploader);
    is_excluded_file(parts[0], parts[1]);
    return 0;
}
