#include "logscan/log_pieces.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/text_io.h"

namespace zunt {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

using Take = std::function<void(const Stretch&)>;

// The threads that read pieces at once: one for each core, up to a few (the
// reading soon waits for memory, not for cores).
std::size_t reading_threads() {
    static const std::size_t n = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    return n;
}

// Reads `n` bytes at `offset`, or as many as the file still has there.
Errno read_part(File& file, std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) {
    got = 0;
    while (got < n) {
        std::size_t part = 0;
        if (Errno e = file.read_at(offset + got, buf + got, n - got, part)) return e;
        if (part == 0) break;
        got += part;
    }
    return 0;
}

// What one piece of the log gave. Its first bytes end a line that began in
// an earlier piece, its last bytes begin one that a later piece ends: those
// are kept as they are for the thread that hands on.
struct Piece {
    Errno error = 0;
    std::size_t got = 0;  // bytes read: fewer than asked when the log ended there
    bool has_lf = false;
    std::string head;     // up to and with its first LF; all it read when it has none
    Stretch lines;        // what the whole lines between its first and last LF gave
    std::string tail;     // after its last LF
};

void read_piece(File& file, std::uint64_t at, std::size_t n, char* buf, const LineRules& rules,
                Piece& p) {
    p.error = read_part(file, at, buf, n, p.got);
    const std::string_view bytes(buf, p.got);
    const std::size_t first = bytes.find('\n');
    p.has_lf = first != kNone;
    p.lines.clear();
    if (!p.has_lf) {
        p.head.assign(bytes);
        p.tail.clear();
        return;
    }
    const std::size_t last = bytes.rfind('\n');
    p.head.assign(bytes.substr(0, first + 1));
    p.tail.assign(bytes.substr(last + 1));
    if (last > first) read_bytes(bytes.substr(first + 1, last - first), at + first + 1, rules, p.lines);
}

enum class Step : std::uint8_t { more, done, long_line, failed };

// The pieces of a log, read a block of them at a time: while the other
// threads read a block, this one first hands on what the block before gave,
// then reads pieces too.
class PieceReader {
public:
    PieceReader(File& file, std::uint64_t offset, std::uint64_t size, const LineRules& rules,
                const Take& take, const PieceShape& shape)
        : file_(file), rules_(rules), take_(take), shape_(shape), size_(size), read_at_(offset),
          line_at_(offset) {
        for (std::size_t t = 0; t < reading_threads(); ++t) buffers_[t].reset(new char[shape.piece_bytes]);
    }

    // Reads the next block of pieces and hands on what the one before gave;
    // at the log's end, hands this one on too. `more` while there is more.
    Step read_block() {
        Block& b = blocks_[next_];
        b.offset = read_at_;
        // As many pieces as the log holds by its size, and one more to meet its end.
        const std::uint64_t left = size_ > read_at_ ? size_ - read_at_ : 0;
        b.count = static_cast<std::size_t>(std::min<std::uint64_t>(shape_.block_pieces, left / shape_.piece_bytes + 1));
        if (b.pieces.size() < b.count) b.pieces.resize(b.count);
        std::atomic<std::size_t> taken{0};
        const auto read_pieces = [&](std::size_t slot) {
            for (std::size_t k; (k = taken++) < b.count;)
                read_piece(file_, b.offset + k * shape_.piece_bytes, shape_.piece_bytes,
                           buffers_[slot].get(), rules_, b.pieces[k]);
        };
        std::vector<std::future<void>> others;
        for (std::size_t t = 1; t < reading_threads() && t < b.count; ++t)
            others.push_back(std::async(std::launch::async | std::launch::deferred, read_pieces, t));
        const Step before = hand_on();
        read_pieces(0);
        for (std::future<void>& other : others) other.get();
        read_at_ += b.count * shape_.piece_bytes;
        next_ ^= 1;
        if (before != Step::more) return before;
        if (!b.at_end(shape_.piece_bytes)) return Step::more;
        const Step last = hand_on();
        return last == Step::more ? finish() : last;
    }

    std::uint64_t line_at() const { return line_at_; }
    Errno error() const { return error_; }

private:
    struct Block {
        std::uint64_t offset = 0;
        std::size_t count = 0;
        std::vector<Piece> pieces;

        // A piece read short, or not at all, ends what can be read now.
        bool at_end(std::size_t piece_bytes) const {
            for (std::size_t k = 0; k < count; ++k)
                if (pieces[k].error != 0 || pieces[k].got < piece_bytes) return true;
            return false;
        }
    };

    // Hands on what the block read last gave, in order: for each piece the
    // line that ends in it, then its own lines. A piece read short ends the
    // log for this run; what later pieces found (the log grew meanwhile)
    // waits for the next. Before the first block there is nothing to hand on.
    Step hand_on() {
        const Block& b = blocks_[next_ ^ 1];
        for (std::size_t k = 0; k < b.count; ++k) {
            const Piece& p = b.pieces[k];
            if (p.error != 0) {
                error_ = p.error;
                return Step::failed;
            }
            line_ += p.head;
            if (p.has_lf) {
                if (!take_line() || !take(p.lines)) return Step::done;
                line_ = p.tail;
                line_at_ = b.offset + k * shape_.piece_bytes + p.got - p.tail.size();
            }
            if (line_.size() > shape_.longest_line) return Step::long_line;
            if (p.got < shape_.piece_bytes) break;
        }
        return Step::more;
    }

    // The line the log ends with, which its writer has not finished.
    Step finish() {
        take_line();
        return Step::done;
    }

    // False when the stretch ends the log.
    bool take(const Stretch& s) {
        take_(s);
        return !s.ended;
    }

    bool take_line() {
        read_bytes(line_, line_at_, rules_, line_stretch_);
        return take(line_stretch_);
    }

    File& file_;
    const LineRules& rules_;
    const Take& take_;
    const PieceShape& shape_;
    const std::uint64_t size_;
    std::uint64_t read_at_;
    std::array<std::unique_ptr<char[]>, 4> buffers_;  // one for each reading thread
    std::array<Block, 2> blocks_;  // the one being read and the one read before it (empty at first)
    int next_ = 0;
    std::string line_;  // the line begun in the pieces handed on, not yet ended
    std::uint64_t line_at_;
    Stretch line_stretch_;
    Errno error_ = 0;
};

// Reads lines straight from the file, a bounded number of takings at a
// time: for a log with a line too long to be held.
Errno read_by_lines(File& file, std::uint64_t offset, const LineRules& rules, const Take& take) {
    LineReader reader(file, 0);
    if (Errno e = reader.seek(offset)) return e;
    for (bool more = true; more;) {
        Stretch s;
        more = read_stretch(reader, rules, s, 4096);
        take(s);
    }
    return reader.error();
}

}  // namespace

Errno read_log(File& file, std::uint64_t offset, std::uint64_t size, const LineRules& rules,
               const Take& take, const PieceShape& shape) {
    PieceReader reader(file, offset, size, rules, take, shape);
    Step step = Step::more;
    while (step == Step::more) step = reader.read_block();
    if (step == Step::failed) return reader.error();
    if (step == Step::long_line) return read_by_lines(file, reader.line_at(), rules, take);
    return 0;
}

}  // namespace zunt
