// A stretch of a log: whole lines read apart from the scan they belong to,
// so that two stretches can be read at once and what they gave added to the
// scan in order after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "logscan/log_line.h"
#include "logscan/scan_position.h"
#include "platform/text_io.h"

namespace zunt {

// What the lines of the log are read for. With `sought`, every line equal
// to it is marked (the last one wins), so that a log read from its start
// for its remembered line is read only once.
struct LineRules {
    const ControlSettings& settings;
    std::vector<std::string> tokens;
    bool uploads;
    const std::string* sought;
};

// What a stretch of the log gave, in the order its lines gave it.
struct Stretch {
    enum class Kind : std::uint8_t { download, counted, uploader, upload, match };
    struct Taking {
        Kind kind;
        std::size_t begin, end;  // its text in `text`
    };
    std::string text;
    std::vector<Taking> takings;
    bool has_last = false;
    ScanPosition last;  // the last line that was not empty or was sought
    bool ended = false;  // a Ctrl-Z ends the log inside the stretch

    // Empties it; its room is kept for the next stretch.
    void clear() {
        text.clear();
        takings.clear();
        has_last = ended = false;
    }

    void take(Kind kind, std::string_view t) {
        takings.push_back({kind, text.size(), text.size() + t.size()});
        text += t;
    }
};

// Reads lines until the reader has no more, or until `limit` takings are
// held; false when the reader has no more.
bool read_stretch(LineReader& reader, const LineRules& rules, Stretch& out, std::size_t limit);

// Reads `bytes`, whole lines standing at `offset` in the log, into `s`, one
// line after the other.
void read_lines_of(std::string_view bytes, std::uint64_t offset, const LineRules& rules, Stretch& s);

// The same as read_lines_of, but only the lines that hold a download token,
// an upload mark, the line sought or a Ctrl-Z are read: no other line can
// give anything.
void read_bytes(std::string_view bytes, std::uint64_t offset, const LineRules& rules, Stretch& s);

}  // namespace zunt
