// A log read from a line's start to its end by several threads at once.
// Each thread reads a small piece at a time into a buffer of its own that
// stays in its core's cache, and reads the whole lines inside the piece
// there; the line that stands across two pieces is put together and read by
// the thread that hands what the pieces gave on, in the log's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "logscan/log_stretch.h"
#include "platform/env.h"

namespace zunt {

// How a log is cut up while it is read.
struct PieceShape {
    // What a thread reads at a time: copying a piece out of the file cache
    // into a buffer that stays in the core's cache costs a third of copying
    // it into memory the core has not just used.
    std::size_t piece_bytes = 64 << 10;
    // Pieces read together before what they gave is handed on.
    std::size_t block_pieces = 64;
    // A line longer than this sends reading back to line by line, so that
    // a log without line ends is not held whole.
    std::size_t longest_line = 4 << 20;
};

// Reads the log in `file` from `offset`, where a line starts, until a read
// finds its end, and hands `take` what its lines gave, stretch by stretch in
// the log's order, up to a Ctrl-Z that ends the log. `size` is the log's
// size when it was opened, so that a log of a few lines is read in one piece;
// what it has grown by since is read too. The unfinished line at its end
// gives only its whole pieces, as line by line reading does.
Errno read_log(File& file, std::uint64_t offset, std::uint64_t size, const LineRules& rules,
               const std::function<void(const Stretch&)>& take, const PieceShape& shape = {});

}  // namespace zunt
