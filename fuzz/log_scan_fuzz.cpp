// A whole log scan from disk: the remembered position (".znt"), the search
// for where to start, the line reading and the recognisers, then the commit
// that writes the new position and the upload lines.
#include "fuzz_util.h"
#include "list/download_list.h"
#include "logscan/log_scanner.h"
#include "platform/env.h"
#include "platform/transaction.h"
#include "config/activity_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zunt;
    FuzzedDataProvider fdp(data, size);
    bool force = fdp.ConsumeBool();
    auto parts = fuzz::split_parts(fdp.ConsumeRemainingBytesAsString(), 2);
    std::string log_path = fuzz::put_file("max.log", parts[0]);
    if (parts[1].empty())
        fuzz::drop_file("max.znt");
    else
        fuzz::put_file("max.znt", parts[1]);
    ControlSettings settings;
    settings.log_list = {log_path};
    settings.mailer_strings = {"sent:", "DL-"};
        settings.upload_log_path = fuzz::scratch_dir() + "/uploads.log";
    ActivityLog log;
    DownloadSeq downloads;
    ScanStaging staging;
    scan_log(default_env(), settings, log, force, log_path, downloads, staging);
    Transaction changes(default_env(), fuzz::scratch_dir() + "/zunt.jnl");
    stage_scan_positions(changes, log, staging, settings.upload_log_path, downloads);
    changes.commit();
    downloads.clear();
    return 0;
}
