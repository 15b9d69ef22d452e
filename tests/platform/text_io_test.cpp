#include "platform/text_io.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace zunt {
namespace {

// A file held in memory, read back in reads of at most `chunk` bytes so that
// lines cross buffer ends.
struct MemFile : File {
    MemFile(std::string b, std::size_t c) : bytes(std::move(b)), chunk(c) {}
    std::string bytes, written;
    std::size_t chunk, pos = 0;
    Errno read(char* buf, std::size_t n, std::size_t& got) override {
        got = std::min({n, chunk, bytes.size() - pos});
        std::memcpy(buf, bytes.data() + pos, got);
        return pos += got, 0;
    }
    Errno read_at(std::uint64_t, char*, std::size_t, std::size_t&) override { return EIO; }
    Errno write(const char* buf, std::size_t n) override { return written.append(buf, n), 0; }
    Errno seek(std::uint64_t offset) override { return pos = std::min<std::size_t>(offset, bytes.size()), 0; }
    Errno size(std::uint64_t& out) override { return out = bytes.size(), 0; }
    Errno sync() override { return 0; }
    Errno close() override { return 0; }
};

std::string shown(std::string_view line, bool complete, std::uint64_t offset) {
    return std::string(line) + "|" + (complete ? "c" : "-") + "|" + std::to_string(offset) + " ";
}
// Each line as "text|complete|offset after it", read from a file, or from
// memory (chunk 0) where each line is seen where it stands when it can be.
std::string read_all(const std::string& bytes, std::size_t max, CtrlZ mode, std::size_t chunk, std::uint64_t start = 0) {
    MemFile f(bytes, chunk);
    LineReader r = chunk ? LineReader(f, start, mode) : LineReader(bytes, 0, mode);
    std::string out, line, scratch;
    std::string_view seen;
    bool complete = false;
    while (chunk ? r.read_line(line, max, &complete) : r.read_line(seen, scratch, max, &complete))
        out += shown(chunk ? line : seen, complete, r.offset());
    return out;
}

// The reading rules one byte at a time: a LF, or a CR right before a LF,
// ends a line; any other CR is an ordinary character; a piece ends after
// `max` characters; a Ctrl-Z ends the file (or, in trailing_only mode, is
// dropped only at the very end).
std::string expected(const std::string& b, std::size_t max, CtrlZ mode) {
    std::string out, line;
    std::size_t p = 0;
    auto emit = [&](bool complete) { out += shown(line, complete, p), line.clear(); };
    while (p < b.size()) {
        if (max != 0 && line.size() == max) {
            emit(true);
        } else if (b[p] == '\n' || (b[p] == '\r' && p + 1 < b.size() && b[p + 1] == '\n')) {
            p += b[p] == '\n' ? 1 : 2;
            emit(true);
        } else if (b[p] == 0x1A && mode == CtrlZ::ends_file) {
            if (!line.empty()) emit(true);
            return out;
        } else {
            line.push_back(b[p++]);
        }
    }
    const std::size_t n = line.size();
    if (mode == CtrlZ::trailing_only)
        while (!line.empty() && line.back() == 0x1A) line.pop_back();
    if (!line.empty()) emit(line.size() != n);
    return out;
}

// Random runs of letters, blanks, CRs, LFs and the odd Ctrl-Z, read with
// small pieces and small reads so that every rule meets every buffer end;
// then a line longer than the reader's buffer, and a start inside the file.
TEST(LineReader, FollowsTheByteRules) {
    std::mt19937 rng(11);
    const char alphabet[] = {'a', 'b', ' ', '\r', '\r', '\n', '\n', 0x1A};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(rng() % 40, 'a');
        for (char& c : bytes) c = alphabet[rng() % (round % 4 == 0 ? 8 : 7)];  // Ctrl-Z in every fourth round
        const std::size_t max = rng() % 5, chunk = 1 + rng() % 6;
        for (CtrlZ mode : {CtrlZ::ends_file, CtrlZ::trailing_only})
            for (std::size_t c : {chunk, std::size_t{0}})
                ASSERT_EQ(read_all(bytes, max, mode, c), expected(bytes, max, mode))
                    << testing::PrintToString(bytes) << " max " << max << " chunk " << c;
    }
    const std::string x(5000, 'x');
    EXPECT_EQ(read_all(x + "\n", 0, CtrlZ::ends_file, 1), x + "|c|5001 ");
    EXPECT_EQ(read_all("one\r\ntwo\r\n", 0, CtrlZ::ends_file, 1 << 20, 5), "two|c|10 ");
}

TEST(TextWriter, WritesCrLfWhenItGoes) {
    MemFile f("", 1);
    {
        TextWriter w(f);
        w.write("a\nb");
        w.write_line("c");
    }  // written out when it goes
    EXPECT_EQ(f.written, "a\r\nbc\r\n");
}

}  // namespace
}  // namespace zunt
