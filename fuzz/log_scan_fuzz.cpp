// A whole log scan from disk after a remembered position (".znt"), then the
// commit that writes the new position and the upload lines.
#include "fuzz_util.h"

ZUNT_FUZZ {
    const bool force = fdp.ConsumeBool();
    const auto part = parts(fdp, 2);
    ControlSettings settings;
    settings.log_list = {put_file("max.log", part[0])};
    settings.mailer_strings = {"sent:", "DL-"};
    settings.upload_log_path = scratch("uploads.log");
    put_file("max.znt", part[1], true);
    ActivityLog log;
    DownloadSeq downloads;
    ScanStaging staging;
    Transaction changes(default_env(), scratch("zunt.jnl"));
    scan_log(default_env(), settings, log, force, settings.log_list[0], downloads, staging);
    stage_scan_positions(changes, log, staging, settings.upload_log_path, downloads);
    changes.commit();
    downloads.clear();
}
