// One run per board at a time. Two runs on the same control file (a
// scheduler starting the next one before the last has ended) would count the
// same log lines twice and rewrite the same lists at once, so the second run
// waits for the first a while and then gives up.
#pragma once

#include <memory>
#include <string>

#include "platform/env.h"

namespace zunt {

enum class RunLockResult {
    taken,      // ours until `holder` is released
    unlocked,   // the lock cannot be had on this file system: run without it
    busy,       // another run kept it for the whole wait
};

constexpr int kRunLockWaitSeconds = 30;
constexpr int kRunLockMaxWaitSeconds = 86400;
constexpr int kRunLockPollMs = 250;

// The give-up wait: ZUNT_LOCK_WAIT seconds (0 to a day) for boards whose
// runs overlap for longer, else kRunLockWaitSeconds.
int run_lock_wait_seconds(Env& env);

// One try at the lock on `control_file_path`.
RunLockResult try_run_lock(Env& env, const std::string& control_file_path,
                           std::unique_ptr<File>& holder);
// Polls for the lock for up to `wait_seconds` after a busy try.
RunLockResult wait_for_run_lock(Env& env, const std::string& control_file_path, int wait_seconds,
                                std::unique_ptr<File>& holder);

std::string run_lock_waiting_message(const std::string& control_file_path, int wait_seconds);
std::string run_lock_busy_message(const std::string& control_file_path);

}  // namespace zunt
