// One log line: the download and upload recognisers.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const auto part = parts(fdp, 2);
    std::string path;
    find_download(part[0], download_tokens({part[1], "sent:"}), path);
    upload_entry(part[0], uploader_of(part[0]));
    is_excluded_file(part[0], part[1]);
}
