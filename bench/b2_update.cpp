// B2: one FILES.BBS counted as the counting run counts a list holding one
// downloaded file (update_list, whose update_files_bbs counts the file, then
// the commit of the list and its ".bak"), against a plain buffered copy of
// the same list, side by side in one run.
//
//   b2_update <files.bbs> [benchmark flags]
//
// Each case works on its own copy of the list in a scratch directory beside
// it. The "_nosync" case runs the same work through an Env whose files and
// directories skip their syncs, to show how much of the time is the disk's;
// the real run always syncs, so that a crash never loses a count.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "config/settings.h"
#include "counters/files_bbs_update.h"
#include "platform/env.h"
#include "platform/transaction.h"

namespace {

namespace fs = std::filesystem;

std::string g_list;  // the generated list
fs::path g_scratch;

// Forwards everything to the real Env, but files opened through it do not
// sync.
class NoSyncFile : public zunt::File {
public:
    explicit NoSyncFile(std::unique_ptr<zunt::File> f) : f_(std::move(f)) {}
    zunt::Errno read(char* b, std::size_t n, std::size_t& got) override { return f_->read(b, n, got); }
    zunt::Errno read_at(std::uint64_t o, char* b, std::size_t n, std::size_t& got) override {
        return f_->read_at(o, b, n, got);
    }
    zunt::Errno write(const char* b, std::size_t n) override { return f_->write(b, n); }
    zunt::Errno seek(std::uint64_t o) override { return f_->seek(o); }
    zunt::Errno size(std::uint64_t& out) override { return f_->size(out); }
    zunt::Errno sync() override { return 0; }
    zunt::Errno close() override { return f_->close(); }

private:
    std::unique_ptr<zunt::File> f_;
};

class NoSyncEnv : public zunt::Env {
public:
    explicit NoSyncEnv(zunt::Env& real) : real_(real) {}
    zunt::Errno open(const std::string& p, zunt::Access a, zunt::Share s,
                     std::unique_ptr<zunt::File>& out) override {
        std::unique_ptr<zunt::File> f;
        zunt::Errno e = real_.open(p, a, s, f);
        if (e == 0) out = std::make_unique<NoSyncFile>(std::move(f));
        return fail_or(e);
    }
    zunt::Errno remove(const std::string& p) override { return fail_or(real_.remove(p)); }
    zunt::Errno rename(const std::string& f, const std::string& t) override {
        return fail_or(real_.rename(f, t));
    }
    zunt::Errno link_or_copy(const std::string& t, const std::string& l) override {
        return fail_or(real_.link_or_copy(t, l));
    }
    std::string resolve_link(const std::string& p) override { return real_.resolve_link(p); }
    std::string path_key(const std::string& p) override { return real_.path_key(p); }
    zunt::Errno find_first(const std::string& p, zunt::FoundFile& out) override {
        return fail_or(real_.find_first(p, out));
    }
    zunt::Errno try_lock_exclusive(const std::string& p,
                                   std::unique_ptr<zunt::File>& holder) override {
        return fail_or(real_.try_lock_exclusive(p, holder));
    }
    void sleep_ms(int ms) override { real_.sleep_ms(ms); }
    std::optional<std::string> get_env(const std::string& n) override { return real_.get_env(n); }
    std::int64_t now() override { return real_.now(); }
    zunt::LocalTime local_time(std::int64_t t) override { return real_.local_time(t); }
    std::string error_text(zunt::Errno e) override { return real_.error_text(e); }
    void out(std::string_view t) override { real_.out(t); }
    void err(std::string_view t) override { real_.err(t); }

private:
    zunt::Errno fail_or(zunt::Errno e) { return e ? fail(e) : 0; }
    zunt::Env& real_;
};

zunt::ControlSettings settings() {
    zunt::ControlSettings s;
    s.counter_style = 1;
    s.counter_length = 3;
    return s;
}

// A fresh copy of the generated list for one case.
std::string fresh_copy(const std::string& name) {
    fs::create_directories(g_scratch / name);
    const fs::path p = g_scratch / name / "files.bbs";
    fs::copy_file(g_list, p, fs::copy_options::overwrite_existing);
    return p.string();
}

void run_update(benchmark::State& state, zunt::Env& env, const std::string& list) {
    const zunt::UpdateOptions options = zunt::update_options_from(settings());
    const std::vector<zunt::FileCount> files = {{"f10000.zip", 1}};
    zunt::ListBuffers buffers;
    std::vector<zunt::DownloadOutcome> outcomes;
    for (auto _ : state) {
        zunt::Transaction changes(env, list + ".jnl");
        if (zunt::update_list(env, changes, list, options, files, buffers, outcomes) !=
                zunt::RewriteResult::ok ||
            changes.commit().result != zunt::CommitResult::done)
            state.SkipWithError("update_list failed");
        benchmark::DoNotOptimize(outcomes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(list)));
}

void BM_update_files_bbs(benchmark::State& state) {
    run_update(state, zunt::default_env(), fresh_copy("update"));
}

void BM_update_files_bbs_nosync(benchmark::State& state) {
    NoSyncEnv env(zunt::default_env());
    run_update(state, env, fresh_copy("update_nosync"));
}

// The floor: read the list in 64 KiB pieces and write it to a new file.
void copy_floor(benchmark::State& state, bool sync) {
    const std::string from = fresh_copy(sync ? "copy_sync" : "copy");
    const std::string to = from + ".copy";
    std::vector<char> buf(1 << 16);
    for (auto _ : state) {
        int in = ::open(from.c_str(), O_RDONLY);
        int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0) state.SkipWithError("open failed");
        for (ssize_t got; (got = ::read(in, buf.data(), buf.size())) > 0;)
            if (::write(out, buf.data(), static_cast<std::size_t>(got)) != got)
                state.SkipWithError("write failed");
        if (sync) ::fsync(out);
        ::close(in);
        ::close(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(from)));
}

void BM_plain_copy(benchmark::State& state) { copy_floor(state, false); }
void BM_plain_copy_sync(benchmark::State& state) { copy_floor(state, true); }

}  // namespace

BENCHMARK(BM_update_files_bbs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_plain_copy_sync)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_update_files_bbs_nosync)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_plain_copy)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: b2_update <files.bbs> [benchmark flags]\n");
        return 2;
    }
    g_list = argv[1];
    g_scratch = fs::path(g_list).parent_path() / "b2-scratch";
    argv[1] = argv[0];
    ++argv;
    --argc;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
