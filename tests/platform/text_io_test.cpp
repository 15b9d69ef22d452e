#include "platform/text_io.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST(LineReader, Table) {
    struct Case { std::string bytes; std::size_t max_chars; CtrlZ mode; std::string want; };
    const Case cases[] = {
        {"ab\r\ncd\r\n", 0, CtrlZ::ends_file, "ab|c|4 cd|c|8 "},
        {"ab\ncd", 0, CtrlZ::ends_file, "ab|c|3 cd|-|5 "},
        {"a\rb\r\n", 0, CtrlZ::ends_file, "a\rb|c|5 "},
        {"\r\n\r\nx\r\n", 0, CtrlZ::ends_file, "|c|2 |c|4 x|c|7 "},
        {"a\r\nb\x1A" "c\r\nd\r\n", 0, CtrlZ::ends_file, "a|c|3 b|c|4 "},
        {"a\x1A" "b\r\nc\x1A\x1A", 0, CtrlZ::trailing_only, "a\x1A" "b|c|5 c|c|8 "},
        {"abcdefg\r\nhi\r\n", 3, CtrlZ::ends_file, "abc|c|3 def|c|6 g|c|9 hi|c|13 "},
        {"abc\r\nd", 3, CtrlZ::ends_file, "abc|c|3 |c|5 d|-|6 "},
        {std::string(5000, 'x') + "\n", 0, CtrlZ::ends_file, std::string(5000, 'x') + "|c|5001 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(read_all(c.bytes, c.max_chars, c.mode, 1 << 20), c.want) << c.bytes;
        EXPECT_EQ(read_all(c.bytes, c.max_chars, c.mode, 1), c.want) << c.bytes << " bytewise";
    }
    EXPECT_EQ(read_all("one\r\ntwo\r\n", 0, CtrlZ::ends_file, 1 << 20, 5), "two|c|10 ");  // from an offset
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
