#include "run/run_lock.h"

#include <cerrno>

#include "config/text_util.h"

namespace zunt {

RunLockResult try_run_lock(Env& env, const std::string& control_file_path,
                           std::unique_ptr<File>& holder) {
    Errno e = env.try_lock_exclusive(control_file_path, holder);
    if (e == 0) return RunLockResult::taken;
    if (e == EWOULDBLOCK || e == EAGAIN) return RunLockResult::busy;
    // A file system without locks must not stop the board's counting.
    return RunLockResult::unlocked;
}

RunLockResult wait_for_run_lock(Env& env, const std::string& control_file_path,
                                std::unique_ptr<File>& holder) {
    const int polls = kRunLockWaitSeconds * 1000 / kRunLockPollMs;
    for (int i = 0; i < polls; ++i) {
        env.sleep_ms(kRunLockPollMs);
        RunLockResult r = try_run_lock(env, control_file_path, holder);
        if (r != RunLockResult::busy) return r;
    }
    return RunLockResult::busy;
}

std::string run_lock_waiting_message(const std::string& control_file_path) {
    return strprintf("  Another ZUNT run is using %s, waiting up to %d seconds...\n",
                     control_file_path.c_str(), kRunLockWaitSeconds);
}

std::string run_lock_busy_message(const std::string& control_file_path) {
    return strprintf("  Another ZUNT run still uses %s, giving up!\n", control_file_path.c_str());
}

}  // namespace zunt
