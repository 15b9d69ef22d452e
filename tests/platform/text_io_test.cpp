#include "platform/text_io.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace zunt {
namespace {

// A file held in memory, read back in reads of at most `chunk` bytes so that
// lines cross buffer ends.
class MemFile : public File {
public:
    explicit MemFile(std::string bytes, std::size_t chunk = 1 << 20) : bytes_(std::move(bytes)), chunk_(chunk) {}
    std::string written;
    Errno read(char* buf, std::size_t n, std::size_t& got) override {
        got = std::min({n, chunk_, bytes_.size() - pos_});
        std::memcpy(buf, bytes_.data() + pos_, got);
        pos_ += got;
        return 0;
    }
    Errno read_at(std::uint64_t, char*, std::size_t, std::size_t&) override { return EIO; }
    Errno write(const char* buf, std::size_t n) override { return written.append(buf, n), 0; }
    Errno seek(std::uint64_t offset) override { return pos_ = std::min<std::size_t>(offset, bytes_.size()), 0; }
    Errno size(std::uint64_t& out) override { return out = bytes_.size(), 0; }
    Errno sync() override { return 0; }
    Errno close() override { return 0; }

private:
    std::string bytes_;
    std::size_t chunk_, pos_ = 0;
};

// Each line as "text|complete|offset after it".
std::string read_all(const std::string& bytes, std::size_t max_chars, CtrlZ mode, std::size_t chunk,
                     std::uint64_t start = 0) {
    MemFile f(bytes, chunk);
    LineReader r(f, start, mode);
    std::string out, line;
    bool complete = false;
    while (r.read_line(line, max_chars, &complete))
        out += line + "|" + (complete ? "c" : "-") + "|" + std::to_string(r.offset()) + " ";
    return out;
}

// What the random rounds below do not reach: a line longer than the reader's
// buffer, and a start inside the file.
TEST(LineReader, LongLineAndStartOffset) {
    const std::string x(5000, 'x');
    EXPECT_EQ(read_all(x + "\n", 0, CtrlZ::ends_file, 1), x + "|c|5001 ");
    EXPECT_EQ(read_all("one\r\ntwo\r\n", 0, CtrlZ::ends_file, 1 << 20, 5), "two|c|10 ");
}

TEST(TextWriter, WritesCrLf) {
    MemFile f("");
    {
        TextWriter w(f);
        w.write("a\nb");
        w.write_line("c");
        w.write("\n");
    }  // written out when it goes
    EXPECT_EQ(f.written, "a\r\nbc\r\n\r\n");
}

// The reading rules one byte at a time: a LF, or a CR right before a LF,
// ends a line; any other CR is an ordinary character; a piece ends after
// `max` characters; a Ctrl-Z ends the file (or, in trailing_only mode, is
// dropped only at the very end).
std::string expected(const std::string& b, std::size_t max, CtrlZ mode) {
    std::string out;
    std::size_t p = 0;
    bool eof = false;
    for (;;) {
        std::string line;
        std::size_t chars = 0;
        bool done = false, complete = false, got = false;
        while (!eof && p < b.size() && !done) {
            const char c = b[p];
            if (max != 0 && chars == max) {
                done = got = complete = true;
            } else if (c == '\n') {
                ++p;
                done = got = complete = true;
            } else if (c == 0x1A && mode == CtrlZ::ends_file) {
                eof = done = true;
                got = complete = !line.empty();
            } else if (c == '\r' && p + 1 < b.size() && b[p + 1] == '\n') {
                p += 2;
                done = got = complete = true;
            } else {
                line.push_back(c);
                ++chars;
                ++p;
            }
        }
        if (!done) {  // the end of the file
            eof = true;
            got = !line.empty();
            if (mode == CtrlZ::trailing_only) {
                std::size_t n = line.size();
                while (n > 0 && line[n - 1] == 0x1A) --n;
                if (n != line.size()) {
                    line.resize(n);
                    complete = true;
                    got = n != 0;
                }
            }
        }
        if (!got) return out;
        out += line + "|" + (complete ? "c" : "-") + "|" + std::to_string(p) + " ";
    }
}

// The same bytes read from memory, each line seen where it stands when it can be.
std::string actual_in_memory(const std::string& bytes, std::size_t max, CtrlZ mode) {
    LineReader r(bytes, 0, mode);
    std::string out, scratch;
    std::string_view line;
    bool complete = false;
    while (r.read_line(line, scratch, max, &complete))
        out += std::string(line) + "|" + (complete ? "c" : "-") + "|" + std::to_string(r.offset()) + " ";
    return out;
}

// Random runs of letters, blanks, CRs, LFs and the odd Ctrl-Z, read with
// small pieces and small reads so that every rule meets every buffer end.
TEST(LineReaderRandom, FollowsTheByteRules) {
    std::mt19937 rng(11);
    const char alphabet[] = {'a', 'b', ' ', '\r', '\r', '\n', '\n', 0x1A};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(rng() % 40, 'a');
        const std::size_t kinds = round % 4 == 0 ? 8 : 7;  // Ctrl-Z in every fourth round
        for (char& c : bytes) c = alphabet[rng() % kinds];
        const std::size_t max = rng() % 5;
        const std::size_t chunk = 1 + rng() % 6;
        for (CtrlZ mode : {CtrlZ::ends_file, CtrlZ::trailing_only}) {
            const std::string want = expected(bytes, max, mode);
            ASSERT_EQ(read_all(bytes, max, mode, chunk), want)
                << testing::PrintToString(bytes) << " max " << max << " chunk " << chunk;
            ASSERT_EQ(actual_in_memory(bytes, max, mode), want) << testing::PrintToString(bytes) << " max " << max;
        }
    }
}

}  // namespace
}  // namespace zunt
