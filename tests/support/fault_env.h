// An Env that passes every call to a real one, counts the operations that
// can fail on a real disk (open, read, write, sync, close, rename, remove,
// link) and makes exactly the Nth of them fail. Console output is captured.
#pragma once

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

    // True when this operation is the one to fail.
    bool strike() {
        // Log reads come from several threads at once.
        if (const long op = ++ops_; fail_at_ != 0 && op == fail_at_) {
            fired_ = true;
            return true;
        }
        return false;
    }

    Errno open(const std::string& path, Access access, Share share,
               std::unique_ptr<File>& out) override {
        if (strike()) return fail(access == Access::read ? EIO : ENOSPC);
        std::unique_ptr<File> inner;
        Errno e = base_.open(path, access, share, inner);
        if (e != 0) return fail(e);
        out = std::make_unique<FaultFile>(*this, std::move(inner));
        return 0;
    }
    Errno remove(const std::string& path) override {
        if (strike()) return fail(EIO);
        return pass(base_.remove(path));
    }
    Errno rename(const std::string& from, const std::string& to) override {
        if (strike()) return fail(EIO);
        return pass(base_.rename(from, to));
    }
    Errno link_or_copy(const std::string& target, const std::string& link) override {
        if (strike()) return fail(EIO);
        return pass(base_.link_or_copy(target, link));
    }
    std::string path_key(const std::string& path) override { return base_.path_key(path); }
    std::string resolve_link(const std::string& path) override { return base_.resolve_link(path); }
    Errno sync_directory(const std::string& dir) override {
        if (strike()) return fail(EIO);
        return pass(base_.sync_directory(dir));
    }
    Errno find_first(const std::string& pattern, FoundFile& out) override {
        return pass(base_.find_first(pattern, out));
    }
    // The run lock is not a disk operation that fails on a full disk, so it
    // is never struck; `lock_busy_polls` makes it look held by another run
    // for that many tries, and sleeping only adds up the time asked for.
    int lock_busy_polls = 0;
    // Environment variables seen instead of the base's.
    std::map<std::string, std::string> vars;
    long slept_ms = 0;
    Errno try_lock_exclusive(const std::string& path, std::unique_ptr<File>& holder) override {
        if (lock_busy_polls > 0) {
            --lock_busy_polls;
            return fail(EWOULDBLOCK);
        }
        return pass(base_.try_lock_exclusive(path, holder));
    }
    void sleep_ms(int ms) override { slept_ms += ms; }

    std::optional<std::string> get_env(const std::string& name) override {
        auto it = vars.find(name);
        return it != vars.end() ? std::optional<std::string>(it->second) : base_.get_env(name);
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
        FaultFile(FaultEnv& env, std::unique_ptr<File> inner) : env_(env), inner_(std::move(inner)) {}
        Errno read(char* buf, std::size_t n, std::size_t& got) override {
            got = 0;
            if (env_.strike()) return bad(EIO);
            return chk(inner_->read(buf, n, got));
        }
        Errno read_at(std::uint64_t offset, char* buf, std::size_t n, std::size_t& got) override {
            got = 0;
            if (env_.strike()) return EIO;
            return inner_->read_at(offset, buf, n, got);
        }
        Errno write(const char* buf, std::size_t n) override {
            if (env_.strike()) return bad(ENOSPC);
            return chk(inner_->write(buf, n));
        }
        Errno seek(std::uint64_t offset) override { return chk(inner_->seek(offset)); }
        Errno size(std::uint64_t& out) override { return chk(inner_->size(out)); }
        Errno sync() override {
            if (env_.strike()) return bad(EIO);
            return chk(inner_->sync());
        }
        void start_sync() override { inner_->start_sync(); }
        Errno close() override {
            Errno e = inner_->close();
            if (env_.strike()) return bad(EIO);
            return chk(e);
        }

    private:
        Errno bad(Errno e) {
            env_.set_last_error(e);
            return e;
        }
        Errno chk(Errno e) { return e == 0 ? 0 : bad(e); }
        FaultEnv& env_;
        std::unique_ptr<File> inner_;
    };

    Env& base_;
    long fail_at_;
    std::atomic<long> ops_ = 0;
    std::atomic<bool> fired_ = false;
};

}  // namespace zunt::testing
