#include "platform/text_io.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zunt {
namespace {

// A file held in memory, read back in reads of at most `chunk` bytes so that
// lines cross buffer ends.
class MemFile : public File {
public:
    explicit MemFile(std::string bytes, std::size_t chunk = 1 << 20)
        : bytes_(std::move(bytes)), chunk_(chunk) {}
    std::string written;
    Errno read(char* buf, std::size_t n, std::size_t& got) override {
        got = std::min({n, chunk_, bytes_.size() - pos_});
        std::memcpy(buf, bytes_.data() + pos_, got);
        pos_ += got;
        return 0;
    }
    Errno write(const char* buf, std::size_t n) override {
        written.append(buf, n);
        return 0;
    }
    Errno seek(std::uint64_t offset) override {
        pos_ = std::min<std::size_t>(offset, bytes_.size());
        return 0;
    }
    Errno size(std::uint64_t& out) override {
        out = bytes_.size();
        return 0;
    }
    Errno sync() override { return 0; }
    Errno close() override { return 0; }

private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

struct Line {
    std::string text;
    bool complete;
    std::uint64_t offset_after;
    bool operator==(const Line&) const = default;
};

std::vector<Line> read_all(const std::string& bytes, std::size_t max_chars = 0,
                           CtrlZ mode = CtrlZ::ends_file, std::size_t chunk = 1 << 20) {
    MemFile f(bytes, chunk);
    LineReader r(f, 0, mode);
    std::vector<Line> out;
    std::string line;
    bool complete = false;
    while (r.read_line(line, max_chars, &complete)) out.push_back({line, complete, r.offset()});
    return out;
}

void PrintTo(const Line& l, std::ostream* os) {
    *os << "{\"" << l.text << "\", " << l.complete << ", " << l.offset_after << "}";
}

TEST(LineReader, Table) {
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t max_chars;
        CtrlZ mode;
        std::vector<Line> want;
    } cases[] = {
        {"crlf", "ab\r\ncd\r\n", 0, CtrlZ::ends_file, {{"ab", true, 4}, {"cd", true, 8}}},
        {"lone lf", "ab\ncd", 0, CtrlZ::ends_file, {{"ab", true, 3}, {"cd", false, 5}}},
        {"lone cr kept", "a\rb\r\n", 0, CtrlZ::ends_file, {{"a\rb", true, 5}}},
        {"empty lines", "\r\n\r\nx\r\n", 0, CtrlZ::ends_file,
         {{"", true, 2}, {"", true, 4}, {"x", true, 7}}},
        {"ctrl-z ends", "a\r\nb\x1A" "c\r\nd\r\n", 0, CtrlZ::ends_file,
         {{"a", true, 3}, {"b", true, 4}}},
        {"ctrl-z alone", "a\r\n\x1A", 0, CtrlZ::ends_file, {{"a", true, 3}}},
        {"trailing ctrl-z only", "a\x1A" "b\r\nc\x1A\x1A", 0, CtrlZ::trailing_only,
         {{"a\x1A" "b", true, 5}, {"c", true, 8}}},
        {"pieces", "abcdefg\r\nhi\r\n", 3, CtrlZ::ends_file,
         {{"abc", true, 3}, {"def", true, 6}, {"g", true, 9}, {"hi", true, 13}}},
        {"piece exactly the line", "abc\r\nd", 3, CtrlZ::ends_file,
         {{"abc", true, 3}, {"", true, 5}, {"d", false, 6}}},
        {"whole long line", std::string(5000, 'x') + "\n", 0, CtrlZ::ends_file,
         {{std::string(5000, 'x'), true, 5001}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read_all(c.bytes, c.max_chars, c.mode), c.want) << c.name;
        EXPECT_EQ(read_all(c.bytes, c.max_chars, c.mode, 1), c.want) << c.name << " bytewise";
    }
}

TEST(LineReader, StartsAtAnOffset) {
    MemFile f("one\r\ntwo\r\n");
    LineReader r(f, 5);
    std::string line;
    ASSERT_TRUE(r.read_line(line));
    EXPECT_EQ(line, "two");
    EXPECT_EQ(r.offset(), 10u);
    EXPECT_FALSE(r.read_line(line));
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

}  // namespace
}  // namespace zunt
