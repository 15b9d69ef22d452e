// An Env that passes every call to a real one, counts the operations that
// can fail on a real disk (open, read, write, sync, close, rename, remove,
// link) and makes exactly the Nth of them fail. Console output is captured.
// Faults of a whole kind can be planted too: every rename failing, renames
// that cannot leave their directory (as between file systems), a full disk
// for the files whose path holds `full`, reads at an offset that give at
// most `read_parts` bytes at a time.
#pragma once

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <memory>
#include <string>

#include "platform/env.h"

namespace zunt::testing {

class FaultEnv : public Env {
public:
    explicit FaultEnv(Env& base, long fail_at = 0) : base_(base), fail_at_(fail_at) {}

    long operations() const { return ops_; }
    bool fired() const { return fired_; }
    std::string out_text, err_text;
    bool renames_fail = false, renames_stay_in_directory = false;
    std::string full;
    std::size_t read_parts = 0;
    // The run lock is never struck; it looks held by another run for
    // `lock_busy_polls` tries, and sleeping only adds up the time asked for.
    int lock_busy_polls = 0;
    long slept_ms = 0;
    std::map<std::string, std::string> vars;  // seen instead of the base's

    // True when this operation is the one to fail.
    bool strike() {
        // Log reads come from several threads at once.
        if (++ops_ != fail_at_) return false;
        return fired_ = true;
    }

    Errno open(const std::string& path, Access access, Share share, std::unique_ptr<File>& out) override {
        if (strike()) return fail(access == Access::read ? EIO : ENOSPC);
        std::unique_ptr<File> inner;
        if (Errno e = base_.open(path, access, share, inner)) return fail(e);
        const bool no_room = !full.empty() && path.find(full) != std::string::npos && access != Access::read;
        out = std::make_unique<FaultFile>(*this, std::move(inner), no_room);
        return 0;
    }
    Errno remove(const std::string& path) override { return strike() ? fail(EIO) : pass(base_.remove(path)); }
    Errno rename(const std::string& from, const std::string& to) override {
        if (strike() || renames_fail) return fail(EIO);
        if (renames_stay_in_directory && from.substr(0, from.rfind('/') + 1) != to.substr(0, to.rfind('/') + 1))
            return fail(EXDEV);
        return pass(base_.rename(from, to));
    }
    Errno link_or_copy(const std::string& target, const std::string& link) override {
        return strike() ? fail(EIO) : pass(base_.link_or_copy(target, link));
    }
    Errno sync_directory(const std::string& dir) override {
        return strike() ? fail(EIO) : pass(base_.sync_directory(dir));
    }
    std::string path_key(const std::string& path) override { return base_.path_key(path); }
    std::string resolve_link(const std::string& path) override { return base_.resolve_link(path); }
    Errno find_first(const std::string& pattern, FoundFile& out) override { return pass(base_.find_first(pattern, out)); }
    Errno try_lock_exclusive(const std::string& path, std::unique_ptr<File>& holder) override {
        if (lock_busy_polls > 0 && lock_busy_polls--) return fail(EWOULDBLOCK);
        return pass(base_.try_lock_exclusive(path, holder));
    }
    void sleep_ms(int ms) override { slept_ms += ms; }
    std::optional<std::string> get_env(const std::string& name) override {
        return vars.count(name) ? std::optional(vars.at(name)) : base_.get_env(name);
    }
    std::int64_t now() override { return base_.now(); }
    LocalTime local_time(std::int64_t t) override { return base_.local_time(t); }
    std::string error_text(Errno err) override { return base_.error_text(err); }
    void out(std::string_view text) override { out_text.append(text); }
    void err(std::string_view text) override { err_text.append(text); }

private:
    Errno pass(Errno e) { return e == 0 ? 0 : fail(e); }

    class FaultFile : public File {
    public:
        FaultFile(FaultEnv& env, std::unique_ptr<File> inner, bool no_room)
            : env_(env), inner_(std::move(inner)), no_room_(no_room) {}
        Errno read(char* buf, std::size_t n, std::size_t& got) override {
            got = 0;
            return env_.strike() ? bad(EIO) : chk(inner_->read(buf, n, got));
        }
        Errno read_at(std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) override {
            got = 0;
            if (env_.read_parts != 0) n = std::min(n, env_.read_parts);
            return env_.strike() ? EIO : inner_->read_at(offset, buf, n, got);
        }
        Errno write(const char* buf, std::size_t n) override {
            return env_.strike() || no_room_ ? bad(ENOSPC) : chk(inner_->write(buf, n));
        }
        Errno seek(std::uint64_t offset) override { return chk(inner_->seek(offset)); }
        Errno size(std::uint64_t& out) override { return chk(inner_->size(out)); }
        Errno sync() override { return env_.strike() ? bad(EIO) : chk(inner_->sync()); }
        void start_sync() override { inner_->start_sync(); }
        Errno close() override {
            const Errno e = inner_->close();
            return env_.strike() ? bad(EIO) : chk(e);
        }

    private:
        Errno bad(Errno e) { return env_.fail(e); }
        Errno chk(Errno e) { return e == 0 ? 0 : bad(e); }
        FaultEnv& env_;
        std::unique_ptr<File> inner_;
        bool no_room_;
    };

    Env& base_;
    long fail_at_;
    std::atomic<long> ops_ = 0;
    std::atomic<bool> fired_ = false;
};

}  // namespace zunt::testing
