// ZUNT's own log: one block of lines per run, in the board log's layout
// "%c %s %s %s %s" (level character, day, month, time, message).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "platform/text_io.h"

namespace zunt {

// Levels shown as the characters of " *#+!?".
enum LogLevel : int { kDetail = 0, kStep = 1, kWorkaround = 2, kNotice = 3, kError = 4, kDebug = 5 };

class ActivityLog {
public:
    ActivityLog() = default;
    ~ActivityLog();
    ActivityLog(const ActivityLog&) = delete;
    ActivityLog& operator=(const ActivityLog&) = delete;

    // Opens `path` for appending and writes `first_message` at level 3.
    // Returns 0, or -1 when the file cannot be opened (nothing is open then).
    int open(Env& env, const std::string& path, std::string_view first_message, bool debug);
    bool is_open() const { return file_ != nullptr; }
    // One line; nothing when the log is not open. Debug lines (level 5) are
    // written only in debug mode, and in debug mode every line is flushed.
    void write(int level, std::string_view message);
    // The End line at level 3, an empty line, and the log is closed for the
    // rest of the process.
    void close(std::string_view end_message);

    // The line as it goes to the file, without its line end.
    static std::string format_line(int level, const LocalTime& t, std::string_view message);

private:
    Env* env_ = nullptr;
    std::unique_ptr<File> file_;
    std::unique_ptr<TextWriter> writer_;
    bool debug_ = false;
    // The start of the last line written and the second it was written in:
    // a run writes many lines a second.
    std::string head_;
    int head_level_ = -1;
    std::int64_t head_time_ = 0;
};

}  // namespace zunt
