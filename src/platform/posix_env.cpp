// POSIX implementation of the platform layer.
//
// Board paths arrive in DOS form. At this boundary:
//  - "\" becomes "/";
//  - a drive letter "X:" is replaced by the directory in ZUNT_DRIVE_X
//    (unmapped drives do not exist: ENOENT);
//  - a path element that does not exist as written is looked up in its
//    directory ignoring ASCII case, so that lists migrated from DOS in upper
//    case are found by the lower-cased paths the program works with;
//  - sharing modes become advisory flock() locks taken without waiting.
#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>

#include "platform/env.h"
#include "platform/std_env.h"
#include "platform/host_path.h"

namespace zunt {

namespace {

class PosixFile final : public File {
public:
    PosixFile(Env& env, int fd) : env_(env), fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    Errno read(char* buf, std::size_t n, std::size_t& got) override {
        got = 0;
        for (;;) {
            ssize_t r = ::read(fd_, buf, n);
            if (r >= 0) {
                got = static_cast<std::size_t>(r);
                return 0;
            }
            if (errno != EINTR) return failed(errno);
        }
    }
    Errno read_at(std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) override {
        got = 0;
        for (;;) {
            ssize_t r = ::pread(fd_, buf, n, static_cast<off_t>(offset));
            if (r >= 0) {
                got = static_cast<std::size_t>(r);
                return 0;
            }
            if (errno != EINTR) return errno;
        }
    }
    Errno write(const char* buf, std::size_t n) override {
        while (n > 0) {
            ssize_t r = ::write(fd_, buf, n);
            if (r < 0) {
                if (errno == EINTR) continue;
                return failed(errno);
            }
            buf += r;
            n -= static_cast<std::size_t>(r);
        }
        return 0;
    }
    Errno seek(std::uint64_t offset) override {
        if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return failed(errno);
        return 0;
    }
    Errno size(std::uint64_t& out) override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return failed(errno);
        out = static_cast<std::uint64_t>(st.st_size);
        return 0;
    }
    Errno sync() override {
        if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) return failed(errno);
        return 0;
    }
    void start_sync() override {
#ifdef SYNC_FILE_RANGE_WRITE
        ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    }
    Errno close() override {
        int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && ::close(fd) != 0) return failed(errno);
        return 0;
    }

private:
    Errno failed(Errno e) {
        env_.set_last_error(e);
        return e;
    }
    Env& env_;
    int fd_;
};

class PosixEnv final : public StdEnv {
public:
    bool err_is_utf8_terminal() override {
        if (!utf8_terminal_) utf8_terminal_ = ::isatty(STDERR_FILENO) == 1 && locale_is_utf8();
        return *utf8_terminal_;
    }

    Errno open(const std::string& path, Access access, Share share,
               std::unique_ptr<File>& out) override {
        out.reset();
        std::string host;
        if (Errno e = to_host_path(path, host)) return fail(e);
        int flags = O_CLOEXEC;
        switch (access) {
            case Access::read: flags |= O_RDONLY; break;
            case Access::read_write: flags |= O_RDWR; break;
            case Access::create: flags |= O_WRONLY | O_CREAT; break;
            case Access::append: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
        }
        // Not waiting in open() for a writer to a named pipe: the pipe is
        // refused below, like a directory.
        int fd = ::open(host.c_str(), flags | O_NONBLOCK, 0666);
        if (fd < 0) return fail(errno);
        if (share != Share::deny_none) {
            int op = (share == Share::exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
            if (::flock(fd, op) != 0) {
                Errno e = (errno == EWOULDBLOCK) ? EACCES : errno;
                ::close(fd);
                return fail(e);
            }
        }
        struct stat st;
        const bool known = ::fstat(fd, &st) == 0;
        if (known && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return fail(EISDIR);
        }
        // A pipe would hold the run until someone writes to it or closes it.
        if (known && S_ISFIFO(st.st_mode)) {
            ::close(fd);
            return fail(EINVAL);
        }
        ::fcntl(fd, F_SETFL, flags);  // waiting reads and writes again
        // A file nobody may write is read-only, as the read-only attribute
        // makes it on a board's system, also for a process with every
        // privilege (which open() would let write it).
        if (access == Access::read_write && known &&
            (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            ::close(fd);
            return fail(EACCES);
        }
        // Truncate only once the lock is ours, and only a file that holds
        // bytes: a new file has none.
        if (access == Access::create && (!known || st.st_size != 0) && ::ftruncate(fd, 0) != 0) {
            Errno e = errno;
            ::close(fd);
            return fail(e);
        }
        out = std::make_unique<PosixFile>(*this, fd);
        return 0;
    }

    Errno remove(const std::string& path) override {
        std::string host;
        if (Errno e = to_host_path(path, host)) return fail(e);
        if (::unlink(host.c_str()) != 0) return fail(errno);
        return 0;
    }

    Errno rename(const std::string& from, const std::string& to) override {
        std::string hfrom, hto;
        if (Errno e = to_host_path(from, hfrom)) return fail(e);
        if (Errno e = to_host_path(to, hto)) return fail(e);
        keep_target_identity(hfrom, hto);
        if (::rename(hfrom.c_str(), hto.c_str()) != 0) return fail(errno);
        return 0;
    }

    Errno link_or_copy(const std::string& target, const std::string& link) override {
        std::string htarget, hlink;
        if (Errno e = to_host_path(target, htarget)) return fail(e);
        if (Errno e = to_host_path(link, hlink)) return fail(e);
        // A list reached through a symbolic link gets a second name of the
        // file behind the link: a second name of the link itself would show
        // whatever the list holds next, not the list as it stood.
        if (::linkat(AT_FDCWD, htarget.c_str(), AT_FDCWD, hlink.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
        if (errno == EEXIST || errno == ENOENT || errno == EACCES) return fail(errno);
        return copy_file(htarget, hlink);
    }

    std::string resolve_link(const std::string& path) override {
        std::string host;
        struct stat st;
        if (to_host_path(path, host) != 0 || ::lstat(host.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char* real = ::realpath(host.c_str(), nullptr);
        if (!real) return path;
        std::string out = real;
        std::free(real);
        return out;
    }

    Errno sync_directory(const std::string& dir) override {
        std::string host;
        if (Errno e = to_host_path(dir.empty() ? "." : dir, host)) return fail(e);
        const int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return fail(errno);
        const int r = ::fsync(fd);
        const Errno e = errno;
        ::close(fd);
        if (r != 0 && e != EINVAL && e != EROFS) return fail(e);
        return 0;
    }

    std::optional<FileId> file_id(const std::string& path) override {
        std::string host;
        struct stat st;
        if (to_host_path(path, host) != 0 || ::stat(host.c_str(), &st) != 0) return std::nullopt;
        return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    }

    std::string path_key(const std::string& path) override {
        if (!cwd_) {
            char buf[4096];
            cwd_ = ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
        }
        return host_path_key(path, *cwd_);
    }

    Errno find_first(const std::string& pattern, FoundFile& out) override {
        std::string host;
        if (Errno e = to_host_path(pattern, host)) return fail(e);
        std::string name;
        if (Errno e = find_first_host(host, name)) return fail(e);
        std::size_t slash = host.rfind('/');
        std::string dir = slash == std::string::npos ? std::string() : host.substr(0, slash + 1);
        struct stat st;
        if (::stat((dir + name).c_str(), &st) != 0) return fail(errno);
        out.name = name;
        pack_dos_time(st.st_mtime, out.dos_date, out.dos_time);
        return 0;
    }

    // A flock() on a descriptor of its own: the readers' shared-mode opens
    // of other files are untouched, and the control file is read without
    // any lock at all.
    Errno try_lock_exclusive(const std::string& path, std::unique_ptr<File>& holder) override {
        holder.reset();
        std::string host;
        if (Errno e = to_host_path(path, host)) return fail(e);
        int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return fail(errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            Errno e = errno == EAGAIN ? EWOULDBLOCK : errno;
            ::close(fd);
            return fail(e);
        }
        holder = std::make_unique<PosixFile>(*this, fd);
        return 0;
    }

    void sleep_ms(int ms) override {
        flush_console();  // what the run says before it waits shows now
        struct timespec ts {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
        while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
        }
    }



    LocalTime local_time(std::int64_t t) override {
        std::time_t tt = static_cast<std::time_t>(t);
        std::tm tm{};
        localtime_r(&tt, &tm);
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }



private:
    // The run never changes its directory: asked once.
    std::optional<std::string> cwd_;

    // A file that replaces another takes over what the board relies on:
    // the old one's permissions and, when we may, its owner -- a scheduler
    // running as root must not leave a list the board's own user can no
    // longer rewrite. A second name of a live file (a backup made by
    // linking) is left alone.
    void keep_target_identity(const std::string& from, const std::string& to) {
        struct stat src, dst;
        if (::lstat(from.c_str(), &src) != 0 || !S_ISREG(src.st_mode) || src.st_nlink != 1) return;
        if (::lstat(to.c_str(), &dst) != 0 || !S_ISREG(dst.st_mode)) return;
        // Mostly the modes already agree: the new file was made under the
        // same umask as the old.
        if ((src.st_mode & 07777) != (dst.st_mode & 07777) &&
            ::chmod(from.c_str(), dst.st_mode & 07777) != 0)
            return;
        if (::geteuid() == 0 && (dst.st_uid != src.st_uid || dst.st_gid != src.st_gid)) {
            [[maybe_unused]] int ignored = ::chown(from.c_str(), dst.st_uid, dst.st_gid);
        }
    }

    Errno copy_file(const std::string& from, const std::string& to) {
        int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) return fail(errno);
        int outfd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (outfd < 0) {
            Errno e = errno;
            ::close(in);
            return fail(e);
        }
        PosixFile src(*this, in), dst(*this, outfd);
        char buf[1 << 16];
        Errno e = 0;
        for (;;) {
            std::size_t got = 0;
            if ((e = src.read(buf, sizeof buf, got)) != 0 || got == 0) break;
            if ((e = dst.write(buf, got)) != 0) break;
        }
        if (e == 0) e = dst.sync();
        if (e == 0) e = dst.close();
        if (e != 0) {
            ::unlink(to.c_str());
            return fail(e);
        }
        return 0;
    }

    // The character set of the locale that the environment names (LC_ALL,
    // LC_CTYPE, LANG), asked without making it the program's own locale:
    // the program's byte handling stays that of the "C" locale.
    static bool locale_is_utf8() {
        locale_t loc = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        if (loc == static_cast<locale_t>(0)) return false;
        const std::string_view set = ::nl_langinfo_l(CODESET, loc);
        const bool utf8 = set == "UTF-8" || set == "utf8" || set == "UTF8";
        ::freelocale(loc);
        return utf8;
    }

    std::optional<bool> utf8_terminal_;  // asked once: neither changes during a run

    void pack_dos_time(std::time_t t, std::uint16_t& date, std::uint16_t& time) {
        std::tm tm{};
        localtime_r(&t, &tm);
        int year = tm.tm_year + 1900;
        if (year < 1980) {  // DOS dates begin in 1980
            date = (0 << 9) | (1 << 5) | 1;
            time = 0;
            return;
        }
        if (year > 2107) year = 2107;
        date = static_cast<std::uint16_t>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
        time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    }
};

}  // namespace

Env& default_env() {
    static PosixEnv env;
    return env;
}

}  // namespace zunt
