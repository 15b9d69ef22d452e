#include "config/activity_log.h"

#include <cstdio>

namespace zunt {

ActivityLog::~ActivityLog() {
    if (writer_) writer_->flush();
}

int ActivityLog::open(Env& env, const std::string& path, std::string_view first_message,
                      bool debug) {
    std::unique_ptr<File> f;
    if (env.open(path, Access::append, Share::deny_none, f) != 0) return -1;
    env_ = &env;
    file_ = std::move(f);
    writer_ = std::make_unique<TextWriter>(*file_);
    debug_ = debug;
    write(kNotice, first_message);
    return 0;
}

std::string ActivityLog::format_line(int level, const LocalTime& t, std::string_view message) {
    static const char kLevels[] = " *#+!?";
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char head[32];
    int month = (t.month >= 1 && t.month <= 12) ? t.month - 1 : 0;
    char lc = (level >= 0 && level <= 5) ? kLevels[level] : ' ';
    std::snprintf(head, sizeof head, "%c %2d %s %02d:%02d:%02d ", lc, t.day % 100, kMonths[month],
                  t.hour % 100, t.minute % 100, t.second % 100);
    std::string line = head;
    line.append(message);
    return line;
}

void ActivityLog::write(int level, std::string_view message) {
    if (!writer_) return;
    if (level == kDebug && !debug_) return;
    const std::int64_t now = env_->now();
    if (head_level_ != level || head_time_ != now) {
        head_ = format_line(level, env_->local_time(now), "");
        head_level_ = level;
        head_time_ = now;
    }
    writer_->put(head_);
    writer_->write_line(message);
    if (debug_) writer_->flush();
}

void ActivityLog::close(std::string_view end_message) {
    if (!writer_) return;
    write(kNotice, end_message);
    writer_->write("\n");
    writer_->flush();
    writer_.reset();
    file_->close();
    file_.reset();
}

}  // namespace zunt
