#include "run/run_lock.h"

#include <cerrno>
#include <optional>

#include "config/text_util.h"

namespace zunt {

int run_lock_wait_seconds(Env& env) {
    const std::optional<std::string> given = env.get_env("ZUNT_LOCK_WAIT");
    if (!given || given->empty() || given->size() > 5) return kRunLockWaitSeconds;
    int seconds = 0;
    for (char c : *given) {
        if (c < '0' || c > '9') return kRunLockWaitSeconds;
        seconds = seconds * 10 + (c - '0');
    }
    return seconds <= kRunLockMaxWaitSeconds ? seconds : kRunLockWaitSeconds;
}

RunLockResult try_run_lock(Env& env, const std::string& control_file_path,
                           std::unique_ptr<File>& holder) {
    Errno e = env.try_lock_exclusive(control_file_path, holder);
    if (e == 0) return RunLockResult::taken;
    if (e == EWOULDBLOCK || e == EAGAIN) return RunLockResult::busy;
    // A file system without locks must not stop the board's counting.
    return RunLockResult::unlocked;
}

RunLockResult wait_for_run_lock(Env& env, const std::string& control_file_path, int wait_seconds,
                                std::unique_ptr<File>& holder) {
    const long polls = wait_seconds * 1000L / kRunLockPollMs;
    for (long i = 0; i < polls; ++i) {
        env.sleep_ms(kRunLockPollMs);
        RunLockResult r = try_run_lock(env, control_file_path, holder);
        if (r != RunLockResult::busy) return r;
    }
    return RunLockResult::busy;
}

std::string run_lock_waiting_message(const std::string& control_file_path, int wait_seconds) {
    return strprintf("  Another ZUNT run is using %s, waiting up to %d seconds...\n",
                     control_file_path.c_str(), wait_seconds);
}

std::string run_lock_busy_message(const std::string& control_file_path) {
    return strprintf("  Another ZUNT run still uses %s, giving up!\n", control_file_path.c_str());
}

}  // namespace zunt
