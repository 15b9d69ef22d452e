// The one door to the operating system. Everything above this layer deals in
// bytes, strings and result codes; files, directories, clocks, the environment,
// the console and error numbers are reached only through an Env.
//
// Paths handed to an Env are the program's own texts (as the control file, an
// area file or a log wrote them: "\" or "/" separators, maybe a drive letter,
// maybe in another case than on disk). The Env turns them into host paths.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zunt {

// Who else may use a file while we hold it open.
enum class Share {
    deny_none,   // others may read and write
    deny_write,  // others may only read
    exclusive,   // nobody else
};

enum class Access {
    read,           // existing file, read only
    read_write,     // existing file, read and write (never created; refused
                    // when nobody may write it)
    create,         // create or truncate, write only
    append,         // create when missing, write at the end
};

// Error numbers are the host's errno values; 0 means success.
using Errno = int;

class File {
public:
    virtual ~File() = default;  // closes (errors ignored) when not closed yet
    // Reads up to n bytes; got == 0 with 0 returned means end of file.
    virtual Errno read(char* buf, std::size_t n, std::size_t& got) = 0;
    // The same at `offset`, leaving the file's position alone, so that
    // several threads may read one file at once. It leaves the last error
    // alone too: the caller, not a reading thread, records it.
    virtual Errno read_at(std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) = 0;
    // Writes all n bytes or fails.
    virtual Errno write(const char* buf, std::size_t n) = 0;
    virtual Errno seek(std::uint64_t offset) = 0;
    virtual Errno size(std::uint64_t& out) = 0;
    // Forces written data to stable storage.
    virtual Errno sync() = 0;
    // Lets the written data start on its way to storage without waiting,
    // so that the syncs of several files overlap; sync() still decides.
    virtual void start_sync() {}
    virtual Errno close() = 0;
};

struct FoundFile {
    std::string name;        // the found file's own name, no directory
    std::uint16_t dos_date;  // packed DOS date of the local last-write time
    std::uint16_t dos_time;  // packed DOS time of the local last-write time
};

// Tells a file from every other one while it exists: two paths with equal
// ids name the same file.
struct FileId {
    std::uint64_t volume, index;
    bool operator==(const FileId&) const = default;
};

struct LocalTime {
    int year, month, day;        // month 1-12
    int hour, minute, second;
};

class Env {
public:
    virtual ~Env() = default;

    virtual Errno open(const std::string& path, Access access, Share share,
                       std::unique_ptr<File>& out) = 0;
    virtual Errno remove(const std::string& path) = 0;
    // Renames, replacing an existing target atomically.
    virtual Errno rename(const std::string& from, const std::string& to) = 0;
    // Makes `link` a second name of the existing file `target` (a hard link
    // where the file system has them, else a complete copy). Fails when
    // `link` exists.
    virtual Errno link_or_copy(const std::string& target, const std::string& link) = 0;
    // The file `path` names: behind a symbolic link, the path of the file
    // it leads to (as this Env takes it); else `path` itself. New content
    // is written beside that file, so that replacing it never has to cross
    // from one file system to another.
    virtual std::string resolve_link(const std::string& path) { return path; }
    // Puts the names in the directory `dir` (a path ending in a separator,
    // or empty for the current directory) on the disk: a rename is only
    // sure to outlast a power cut after this.
    virtual Errno sync_directory(const std::string& dir) {
        (void)dir;
        return 0;
    }
    // First ordinary file matching a path whose last element may hold "*"
    // and "?". ENOENT when none.
    virtual Errno find_first(const std::string& pattern, FoundFile& out) = 0;
    // The id of the existing file at `path`; nullopt when there is none or
    // this host cannot tell.
    virtual std::optional<FileId> file_id(const std::string& path) {
        (void)path;
        return std::nullopt;
    }

    // The identity of the file or directory a path names, worked out from
    // the text alone (the disk is not asked): two paths with one key name
    // the same file however they spell it -- either separator, another case,
    // a mapped drive letter, a relative path, "." and "..". A key is absolute,
    // lower case and uses "/" only; it ends in "/" when the path ends in a
    // separator.
    virtual std::string path_key(const std::string& path) = 0;

    // Takes, without waiting, an exclusive lock that belongs to the existing
    // file `path` and lasts as long as `holder` stays open. The lock keeps a
    // second ZUNT run off the same board; it never stops anyone from reading
    // or writing the file itself. EWOULDBLOCK while someone else holds it.
    virtual Errno try_lock_exclusive(const std::string& path, std::unique_ptr<File>& holder) = 0;
    virtual void sleep_ms(int ms) = 0;

    virtual std::optional<std::string> get_env(const std::string& name) = 0;
    virtual std::int64_t now() = 0;  // calendar seconds since 1970-01-01 UTC
    virtual LocalTime local_time(std::int64_t t) = 0;
    virtual std::string error_text(Errno err) = 0;

    virtual void out(std::string_view text) = 0;  // standard output
    virtual void err(std::string_view text) = 0;  // standard error
    // Shows what out() and err() were given so far: console text may wait
    // in a buffer until a line that must be seen now, such as a progress
    // line before a long step.
    virtual void flush_console() {}
    // Whether standard error is a terminal whose locale's character set is
    // UTF-8: there a byte of the board's code page 437 above 0x7F shows as
    // garbage, and console text may write the character itself instead.
    virtual bool err_is_utf8_terminal() { return false; }

    // The error number of the last failing call, like C's errno: the
    // messages that quote "the system error number" read it.
    Errno last_error() const { return last_error_; }
    void set_last_error(Errno e) { last_error_ = e; }

protected:
    Errno fail(Errno e) { last_error_ = e; return e; }

private:
    Errno last_error_ = 0;
};

// The real operating system.
Env& default_env();

}  // namespace zunt
