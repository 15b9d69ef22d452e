// Text files as the board's DOS-born tools write them: lines end in CR LF on
// disk, a lone LF is accepted too, and a Ctrl-Z (0x1A) ends the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace zunt {

enum class CtrlZ {
    ends_file,      // the first Ctrl-Z ends the file (logs, control file, ...)
    trailing_only,  // only Ctrl-Z bytes at the very end are dropped (FILES.BBS)
};

// Buffered line reader over an open File.
class LineReader {
public:
    explicit LineReader(File& file, std::uint64_t start_offset = 0,
                        CtrlZ ctrl_z = CtrlZ::ends_file);
    // Reads `bytes` already in memory as if they stood in a file at
    // `offset`, ending where they end; they must outlive the reader.
    LineReader(std::string_view bytes, std::uint64_t offset, CtrlZ ctrl_z = CtrlZ::ends_file);

    // Next line without its LF, and without the CR right before the LF.
    // `max_chars` > 0 cuts longer lines into pieces of at most that many
    // characters, each returned as a line of its own; 0 keeps lines whole.
    // `complete` tells whether the line was ended by a LF or by a Ctrl-Z
    // (false for a last line that simply stops at the end of the file).
    // Returns false at the end of the file or on a read error (see error()).
    bool read_line(std::string& line, std::size_t max_chars = 0, bool* complete = nullptr);
    // The same line seen where it stands, when the reader reads bytes in
    // memory and the line ends with a LF inside them; otherwise it is read
    // into `scratch` and seen there.
    bool read_line(std::string_view& line, std::string& scratch, std::size_t max_chars,
                   bool* complete);

    // Byte offset, in the file, of the next line to be read.
    std::uint64_t offset() const { return offset_; }
    // Moves to an absolute byte offset.
    Errno seek(std::uint64_t offset);
    Errno error() const { return error_; }

private:
    bool fill();
    int peek_byte();  // -1 at end
    // Position of the first `c` in buf_[from, to), or `to`.
    std::size_t find_byte(std::size_t from, std::size_t to, char c) const;

    File* file_;  // null when reading bytes in memory
    CtrlZ ctrl_z_;
    std::vector<char> storage_;
    const char* buf_;
    std::size_t pos_ = 0, len_ = 0;
    std::size_t ctrl_z_at_ = 0;  // first Ctrl-Z in the buffer (or len_), when it ends the file
    std::uint64_t offset_ = 0;
    bool eof_ = false;
    Errno error_ = 0;
};

// Buffered text writer: every "\n" is written as CR LF.
class TextWriter {
public:
    explicit TextWriter(File& file);
    ~TextWriter();
    void write(std::string_view text);
    // The line followed by CR LF.
    void write_line(std::string_view line);
    // The bytes as they are.
    void put(std::string_view bytes);
    // Writes out the buffer; returns the first error met since the start.
    Errno flush();
    Errno error() const { return error_; }

private:
    File& file_;
    std::string buf_;
    Errno error_ = 0;
};

// Whole-file helpers built on Env.
// Reads a whole file as bytes.
Errno read_whole_file(Env& env, const std::string& path, Share share, std::string& out);

// The name of the temporary file used beside `path` while it is replaced.
std::string temp_name_for(const std::string& path);

}  // namespace zunt
