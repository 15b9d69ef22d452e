#include "platform/text_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zunt {

namespace {
// Large reads: logs of hundreds of megabytes are read in few calls.
constexpr std::size_t kBufSize = 1 << 18;
constexpr char kCtrlZ = 0x1A;
}  // namespace

LineReader::LineReader(File& file, std::uint64_t start_offset, CtrlZ ctrl_z)
    : file_(&file), ctrl_z_(ctrl_z), storage_(kBufSize), buf_(storage_.data()) {
    if (start_offset != 0) seek(start_offset);
}

LineReader::LineReader(std::string_view bytes, std::uint64_t offset, CtrlZ ctrl_z)
    : file_(nullptr), ctrl_z_(ctrl_z), buf_(bytes.data()), len_(bytes.size()), offset_(offset) {
    ctrl_z_at_ = ctrl_z_ == CtrlZ::ends_file ? find_byte(0, len_, kCtrlZ) : len_;
    eof_ = true;  // nothing follows the bytes
}

Errno LineReader::seek(std::uint64_t offset) {
    if (!file_) return EINVAL;
    pos_ = len_ = 0;
    eof_ = false;
    offset_ = offset;
    Errno e = file_->seek(offset);
    if (e != 0) error_ = e;
    return e;
}

bool LineReader::fill() {
    if (eof_ || error_ != 0) return false;
    std::size_t got = 0;
    Errno e = file_->read(storage_.data(), storage_.size(), got);
    if (e != 0) {
        error_ = e;
        return false;
    }
    pos_ = 0;
    len_ = got;
    // One search per buffer instead of one per line: a Ctrl-Z that ends
    // the file is rare, and reading stops at the first.
    ctrl_z_at_ = ctrl_z_ == CtrlZ::ends_file ? find_byte(0, len_, kCtrlZ) : len_;
    if (got == 0) eof_ = true;
    return got != 0;
}

std::size_t LineReader::find_byte(std::size_t from, std::size_t to, char c) const {
    if (from >= to) return to;
    const void* hit = std::memchr(buf_ + from, c, to - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - buf_) : to;
}

int LineReader::peek_byte() {
    if (pos_ >= len_ && !fill()) return -1;
    return static_cast<unsigned char>(buf_[pos_]);
}

bool LineReader::read_line(std::string& line, std::size_t max_chars, bool* complete) {
    line.clear();
    if (complete) *complete = false;
    std::size_t chars = 0;
    for (;;) {
        if (pos_ >= len_ && !fill()) break;
        // Copy the run of ordinary bytes up to the first LF, CR or ending
        // Ctrl-Z (or up to the piece limit) at once.
        std::size_t start = pos_;
        std::size_t end = len_;
        if (max_chars != 0) end = std::min(end, pos_ + (max_chars - chars));
        std::size_t stop = std::min(find_byte(pos_, end, '\n'), std::max(ctrl_z_at_, pos_));
        // Only a CR right before a LF (or at the end of what was searched,
        // where a LF may follow) takes part in ending the line; any other
        // CR is an ordinary character.
        if (stop > pos_ && buf_[stop - 1] == '\r' && (stop == end || buf_[stop] == '\n')) --stop;
        chars += stop - pos_;
        pos_ = stop;
        line.append(buf_ + start, pos_ - start);
        offset_ += pos_ - start;
        if (pos_ >= len_) continue;
        if (max_chars != 0 && chars == max_chars) {
            if (complete) *complete = true;
            return true;  // a piece of a longer line; the rest follows
        }
        char c = buf_[pos_];
        if (c == '\n') {
            ++pos_;
            ++offset_;
            if (complete) *complete = true;
            return true;
        }
        if (c == kCtrlZ) {
            // The file ends here; the bytes read so far form its last line.
            eof_ = true;
            pos_ = len_;
            if (line.empty()) return false;
            if (complete) *complete = true;
            return true;
        }
        // A CR: dropped when a LF follows, else an ordinary character.
        ++pos_;
        ++offset_;
        if (peek_byte() == '\n') {
            ++pos_;
            ++offset_;
            if (complete) *complete = true;
            return true;
        }
        line.push_back('\r');
        ++chars;
    }
    if (ctrl_z_ == CtrlZ::trailing_only) {
        std::size_t n = line.size();
        while (n > 0 && line[n - 1] == kCtrlZ) --n;
        if (n != line.size()) {
            line.resize(n);
            if (complete) *complete = true;
            return n != 0;
        }
    }
    return !line.empty();
}

bool LineReader::read_line(std::string_view& line, std::string& scratch, std::size_t max_chars,
                           bool* complete) {
    if (!file_ && pos_ < len_) {
        const std::size_t end = max_chars != 0 ? std::min(len_, pos_ + max_chars) : len_;
        const std::size_t lf = find_byte(pos_, end, '\n');
        if (lf < end && lf < ctrl_z_at_) {
            const std::size_t stop = lf > pos_ && buf_[lf - 1] == '\r' ? lf - 1 : lf;
            line = std::string_view(buf_ + pos_, stop - pos_);
            offset_ += lf + 1 - pos_;
            pos_ = lf + 1;
            if (complete) *complete = true;
            return true;
        }
    }
    const bool got = read_line(scratch, max_chars, complete);
    line = scratch;
    return got;
}

TextWriter::TextWriter(File& file) : file_(file) { buf_.reserve(kBufSize); }

TextWriter::~TextWriter() { flush(); }

void TextWriter::put(std::string_view bytes) {
    buf_.append(bytes);
    if (buf_.size() >= kBufSize) flush();
}

void TextWriter::write(std::string_view text) {
    std::size_t start = 0;
    for (;;) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            put(text.substr(start));
            return;
        }
        put(text.substr(start, nl - start));
        put("\r\n");
        start = nl + 1;
    }
}

void TextWriter::write_line(std::string_view line) {
    put(line);
    put("\r\n");
}

Errno TextWriter::flush() {
    if (!buf_.empty() && error_ == 0) error_ = file_.write(buf_.data(), buf_.size());
    buf_.clear();
    return error_;
}

Errno read_whole_file(Env& env, const std::string& path, Share share, std::string& out) {
    out.clear();
    std::unique_ptr<File> f;
    if (Errno e = env.open(path, Access::read, share, f)) return e;
    char buf[1 << 16];
    for (;;) {
        std::size_t got = 0;
        if (Errno e = f->read(buf, sizeof buf, got)) {
            env.set_last_error(e);
            return e;
        }
        if (got == 0) break;
        out.append(buf, got);
    }
    return f->close();
}

std::string temp_name_for(const std::string& path) { return path + ".~zt"; }

}  // namespace zunt
