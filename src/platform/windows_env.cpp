// Windows implementation of the platform layer.
//
// Drive letters, "\" separators and case-insensitive names are native here,
// so paths go to the system as written. Sharing modes are real Windows
// sharing modes. Error numbers are mapped onto errno values so that messages
// read the same as on POSIX hosts.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>

#include "platform/env.h"
#include "platform/std_env.h"

namespace zunt {

namespace {

std::wstring widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// The name in the ANSI code page; `lossy` tells whether some character had
// no equivalent there (the text then holds "?" and names no file).
std::string narrow(const wchar_t* w, bool* lossy = nullptr) {
    BOOL used_default = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, &used_default);
    if (lossy) *lossy = used_default != FALSE;
    if (n <= 1) return {};
    std::string s(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
    return s;
}

bool is_directory(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The file's last-write time as packed DOS words, in the local time that
// was in force at that moment (as localtime() does on other hosts), so that
// a summer file keeps its summer time when the run happens in winter.
// 1980-01-01 00:00 for times DOS cannot hold.
void pack_dos_time(const FILETIME& utc, std::uint16_t& date, std::uint16_t& time) {
    date = 0x21;
    time = 0;
    SYSTEMTIME st_utc, st_local;
    FILETIME local;
    WORD d = 0, t = 0;
    if (FileTimeToSystemTime(&utc, &st_utc) &&
        SystemTimeToTzSpecificLocalTime(nullptr, &st_utc, &st_local) &&
        SystemTimeToFileTime(&st_local, &local) && FileTimeToDosDateTime(&local, &d, &t)) {
        date = d;
        time = t;
    }
}

Errno to_errno(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_BAD_NET_NAME:
        case ERROR_NOT_READY:
            return ENOENT;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_INVALID_PARAMETER:
        case ERROR_NEGATIVE_SEEK:
            return EINVAL;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        default:
            return EIO;
    }
}

class WinFile final : public File {
public:
    WinFile(Env& env, HANDLE h) : env_(env), h_(h) {}
    ~WinFile() override {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Errno read(char* buf, std::size_t n, std::size_t& got) override {
        got = 0;
        DWORD want = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
        DWORD r = 0;
        if (!ReadFile(h_, buf, want, &r, nullptr)) return failed();
        got = r;
        return 0;
    }
    Errno read_at(std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) override {
        got = 0;
        DWORD want = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD r = 0;
        if (!ReadFile(h_, buf, want, &r, &at)) {
            const DWORD e = GetLastError();
            return e == ERROR_HANDLE_EOF ? 0 : to_errno(e);
        }
        got = r;
        return 0;
    }
    Errno write(const char* buf, std::size_t n) override {
        while (n > 0) {
            DWORD want = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
            DWORD w = 0;
            if (!WriteFile(h_, buf, want, &w, nullptr)) return failed();
            if (w == 0) return set(ENOSPC);
            buf += w;
            n -= w;
        }
        return 0;
    }
    Errno seek(std::uint64_t offset) override {
        LARGE_INTEGER li;
        li.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(h_, li, nullptr, FILE_BEGIN)) return failed();
        return 0;
    }
    Errno size(std::uint64_t& out) override {
        LARGE_INTEGER li;
        if (!GetFileSizeEx(h_, &li)) return failed();
        out = static_cast<std::uint64_t>(li.QuadPart);
        return 0;
    }
    Errno sync() override {
        if (!FlushFileBuffers(h_)) return failed();
        return 0;
    }
    Errno close() override {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        if (h != INVALID_HANDLE_VALUE && !CloseHandle(h)) return failed();
        return 0;
    }

private:
    Errno failed() { return set(to_errno(GetLastError())); }
    Errno set(Errno e) {
        env_.set_last_error(e);
        return e;
    }
    Env& env_;
    HANDLE h_;
};

class WindowsEnv final : public StdEnv {
public:
    WindowsEnv() {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
    }

    Errno open(const std::string& path, Access access, Share share,
               std::unique_ptr<File>& out) override {
        out.reset();
        DWORD desired = GENERIC_READ, disposition = OPEN_EXISTING;
        switch (access) {
            case Access::read: break;
            case Access::read_write: desired = GENERIC_READ | GENERIC_WRITE; break;
            case Access::create: desired = GENERIC_WRITE; disposition = CREATE_ALWAYS; break;
            case Access::append: desired = FILE_APPEND_DATA; disposition = OPEN_ALWAYS; break;
        }
        DWORD share_mode = 0;
        if (share == Share::deny_none)
            share_mode = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        else if (share == Share::deny_write)
            share_mode = FILE_SHARE_READ;
        const std::wstring wpath = widen(path);
        HANDLE h = CreateFileW(wpath.c_str(), desired, share_mode, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            // Windows refuses a directory as "access denied"; say what it is.
            if (code == ERROR_ACCESS_DENIED && is_directory(wpath)) return fail(EISDIR);
            return fail(to_errno(code));
        }
        out = std::make_unique<WinFile>(*this, h);
        return 0;
    }

    Errno remove(const std::string& path) override {
        if (!DeleteFileW(widen(path).c_str())) return fail(to_errno(GetLastError()));
        return 0;
    }

    Errno rename(const std::string& from, const std::string& to) override {
        if (!MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return fail(to_errno(GetLastError()));
        return 0;
    }

    Errno link_or_copy(const std::string& target, const std::string& link) override {
        std::wstring t = widen(target), l = widen(link);
        if (CreateHardLinkW(l.c_str(), t.c_str(), nullptr)) return 0;
        DWORD code = GetLastError();
        if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS ||
            code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return fail(to_errno(code));
        if (!CopyFileW(t.c_str(), l.c_str(), TRUE)) return fail(to_errno(GetLastError()));
        // The copy stands in for the file (a backup replaces an older one
        // with it), so it must be on the disk before anyone relies on it.
        if (Errno e = flush_to_disk(l)) {
            DeleteFileW(l.c_str());
            return fail(e);
        }
        return 0;
    }

    std::string path_key(const std::string& path) override {
        const std::wstring w = widen(path);
        DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
        std::wstring full(n, L'\0');
        if (n == 0 || (n = GetFullPathNameW(w.c_str(), n, full.data(), nullptr)) == 0) full = w;
        full.resize(wcslen(full.c_str()));
        if (!full.empty()) CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
        std::string key = narrow(full.c_str());
        for (char& c : key)
            if (c == '\\') c = '/';
        return key;
    }

    std::optional<FileId> file_id(const std::string& path) override {
        HANDLE h = CreateFileW(widen(path).c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return std::nullopt;
        BY_HANDLE_FILE_INFORMATION info;
        const bool known = GetFileInformationByHandle(h, &info) != 0;
        CloseHandle(h);
        if (!known) return std::nullopt;
        return FileId{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    }

    Errno find_first(const std::string& pattern, FoundFile& out) override {
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW(widen(pattern).c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return fail(ENOENT);
        bool found = false;
        do {
            if (!(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) {
                found = true;
                break;
            }
        } while (FindNextFileW(h, &data));
        FindClose(h);
        if (!found) return fail(ENOENT);
        // A long name the ANSI code page cannot spell could not be opened
        // again; its short name can.
        bool lossy = false;
        out.name = narrow(data.cFileName, &lossy);
        if (lossy && data.cAlternateFileName[0] != L'\0') out.name = narrow(data.cAlternateFileName);
        pack_dos_time(data.ftLastWriteTime, out.dos_date, out.dos_time);
        return 0;
    }

    // Windows locks are mandatory, so the locked bytes lie far beyond the
    // end of any real file, and the handle shares everything: readers of
    // the file never meet the lock.
    Errno try_lock_exclusive(const std::string& path, std::unique_ptr<File>& holder) override {
        holder.reset();
        HANDLE h = CreateFileW(widen(path).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return fail(to_errno(GetLastError()));
        OVERLAPPED where{};
        where.Offset = 0;
        where.OffsetHigh = 0x7FFFFFF0;
        if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
            DWORD code = GetLastError();
            CloseHandle(h);
            return fail(code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING
                            ? EWOULDBLOCK
                            : to_errno(code));
        }
        holder = std::make_unique<WinFile>(*this, h);
        return 0;
    }

    void sleep_ms(int ms) override {
        flush_console();  // what the run says before it waits shows now
        Sleep(static_cast<DWORD>(ms));
    }



    LocalTime local_time(std::int64_t t) override {
        std::time_t tt = static_cast<std::time_t>(t);
        std::tm tm{};
        localtime_s(&tm, &tt);
        return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }



private:
    Errno flush_to_disk(const std::wstring& path) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD code = GetLastError();
            // A read-only file cannot be opened to flush it; the copy of a
            // read-only list is left to the system's own write-back.
            DWORD attrs = GetFileAttributesW(path.c_str());
            if (code == ERROR_ACCESS_DENIED && attrs != INVALID_FILE_ATTRIBUTES &&
                (attrs & FILE_ATTRIBUTE_READONLY))
                return 0;
            return to_errno(code);
        }
        Errno e = FlushFileBuffers(h) ? 0 : to_errno(GetLastError());
        CloseHandle(h);
        return e;
    }
};

}  // namespace

Env& default_env() {
    static WindowsEnv env;
    return env;
}

}  // namespace zunt
