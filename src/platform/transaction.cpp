// Journal layout (binary, little-endian, no padding):
//
//   offset  size  field
//   0       8     "ZUNTJNL1"
//   then per step, in the order they are carried out:
//           1     kind: 'R' the temporary file renamed onto its target,
//                       'A' the temporary file's bytes added to the target
//           4     length F of the temporary file's path, then F bytes
//           4     length T of the target's path, then T bytes
//           8     ('A' only) the target's length before the append
//   then    1     'E'
//           4     number of steps
//           4     FNV-1a (32 bits) of every byte before this field
//
// A journal that does not end exactly so is torn: it was never committed.
#include "platform/transaction.h"

#include <algorithm>
#include <cerrno>

#include "platform/text_io.h"

namespace zunt {

namespace {

constexpr std::string_view kMagic = "ZUNTJNL1";
// Files written but not yet waited for; past this many they are waited for
// together, so that a big board never holds too many open.
constexpr std::size_t kMaxOpen = 64;

void put_u32(std::string& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void put_u64(std::string& b, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t fnv1a(std::string_view b) {
    std::uint32_t h = 2166136261u;
    for (char c : b) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h;
}

void put_text(std::string& b, const std::string& s) {
    put_u32(b, static_cast<std::uint32_t>(s.size()));
    b += s;
}

std::string encode_journal(const std::vector<JournalStep>& steps) {
    std::string b(kMagic);
    for (const JournalStep& s : steps) {
        b.push_back(s.kind);
        put_text(b, s.temp);
        put_text(b, s.target);
        if (s.kind == 'A') put_u64(b, s.length);
    }
    b.push_back('E');
    put_u32(b, static_cast<std::uint32_t>(steps.size()));
    put_u32(b, fnv1a(b));
    return b;
}

// Reads the fields in order; any field past the end makes the reader fail.
class JournalReader {
public:
    explicit JournalReader(std::string_view b) : b_(b) {}
    bool ok() const { return ok_; }
    std::size_t at() const { return at_; }
    bool done() const { return at_ == b_.size(); }
    std::uint64_t number(int bytes) {
        if (!take(static_cast<std::size_t>(bytes))) return 0;
        std::uint64_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b_[at_ - bytes + i]);
        return v;
    }
    std::string text() {
        const std::size_t n = static_cast<std::size_t>(number(4));
        if (!take(n)) return {};
        return std::string(b_.substr(at_ - n, n));
    }

private:
    bool take(std::size_t n) {
        if (!ok_ || b_.size() - at_ < n) return ok_ = false;
        at_ += n;
        return true;
    }
    std::string_view b_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// The steps of a journal; `whole` tells whether it was committed. A torn
// journal gives the steps that could be read.
std::vector<JournalStep> decode_journal(std::string_view b, bool& whole) {
    std::vector<JournalStep> steps;
    whole = false;
    if (b.substr(0, kMagic.size()) != kMagic) return steps;
    JournalReader r(b.substr(kMagic.size()));
    for (;;) {
        const char kind = static_cast<char>(r.number(1));
        if (!r.ok() || (kind != 'R' && kind != 'A')) {
            if (kind != 'E') return steps;
            const std::size_t end = kMagic.size() + r.at();
            const std::uint64_t count = r.number(4);
            const std::uint64_t sum = r.number(4);
            whole = r.ok() && r.done() && count == steps.size() &&
                    sum == fnv1a(b.substr(0, end + 4));
            return steps;
        }
        JournalStep s;
        s.kind = kind;
        s.temp = r.text();
        s.target = r.text();
        if (kind == 'A') s.length = r.number(8);
        if (!r.ok()) return steps;
        steps.push_back(std::move(s));
    }
}

std::string directory_of(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Removes a file; a failure keeps the error number of the step before.
void remove_quietly(Env& env, const std::string& path) {
    const Errno keep = env.last_error();
    env.remove(path);
    env.set_last_error(keep);
}

// Adds what `s.temp` holds to `s.target`, as far as the target does not
// hold it yet: a run stopped during the append left a part of it there.
Errno carry_out_append(Env& env, const JournalStep& s) {
    std::string bytes;
    Errno e = read_whole_file(env, s.temp, Share::deny_none, bytes);
    if (e == ENOENT) return 0;
    std::unique_ptr<File> f;
    if (e == 0) e = env.open(s.target, Access::append, Share::deny_none, f);
    std::uint64_t size = 0;
    if (e == 0) e = f->size(size);
    const std::uint64_t have = size > s.length ? size - s.length : 0;
    if (e == 0 && have < bytes.size()) e = f->write(bytes.data() + have, bytes.size() - have);
    if (e == 0) e = f->sync();
    if (e == 0) e = f->close();
    f.reset();
    remove_quietly(env, s.temp);  // given up on failure: the lines only inform
    if (e != 0) env.set_last_error(e);
    return e;
}

// Carries out the steps: the renames first, then the appends; then the
// directories of every target go to the disk, each once. A temporary file
// that is gone was renamed before. A failed append is reported in `report`
// and the rest goes on.
Errno carry_out(Env& env, const std::vector<JournalStep>& steps, CommitReport& report) {
    std::vector<std::string> dirs;
    for (const JournalStep& s : steps) {
        if (s.kind != 'R') continue;
        if (Errno e = env.rename(s.temp, s.target)) {
            std::unique_ptr<File> probe;
            if (e != ENOENT || env.open(s.temp, Access::read, Share::deny_none, probe) == 0) return e;
        }
        dirs.push_back(directory_of(s.target));
    }
    for (const JournalStep& s : steps) {
        if (s.kind != 'A') continue;
        if (Errno e = carry_out_append(env, s)) {
            report.append_path = s.target;
            report.append_error = e;
        }
    }
    std::sort(dirs.begin(), dirs.end());
    dirs.erase(std::unique(dirs.begin(), dirs.end()), dirs.end());
    for (const std::string& d : dirs)
        if (Errno e = env.sync_directory(d)) return e;
    return 0;
}

Errno write_journal(Env& env, const std::string& path, std::string_view bytes) {
    std::unique_ptr<File> f;
    env.remove(path);
    Errno e = env.open(path, Access::create, Share::exclusive, f);
    if (e == 0) e = f->write(bytes.data(), bytes.size());
    if (e == 0) e = f->sync();
    if (e == 0) e = f->close();
    f.reset();
    if (e == 0) e = env.sync_directory(directory_of(path));
    if (e != 0) {
        remove_quietly(env, path);
        env.set_last_error(e);
    }
    return e;
}

// The journal gone for good: a journal that came back after a power cut
// would carry out a later run's uncommitted files.
void remove_journal(Env& env, const std::string& path) {
    if (env.remove(path) == 0) env.sync_directory(directory_of(path));
}

}  // namespace

Transaction::Transaction(Env& env, std::string journal_path)
    : env_(env), journal_(std::move(journal_path)) {}

Transaction::~Transaction() { drop_all(); }

void Transaction::drop_all() {
    open_.clear();
    for (const JournalStep& s : steps_)
        if (s.temp != s.target) remove_quietly(env_, s.temp);
    steps_.clear();
    keys_.clear();
}

// One file may be named in several spellings in one run (a list reached
// through two spellings of its directory): its changes are found by the
// file's identity key, and every later change uses the first spelling.
std::size_t Transaction::find(const std::string& resolved) const {
    const std::string key = env_.path_key(resolved);
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) return i;
    return steps_.size();
}

std::string Transaction::spelling(const std::string& target) const {
    std::string resolved = env_.resolve_link(target);
    const std::size_t i = find(resolved);
    return i < steps_.size() ? steps_[i].target : resolved;
}

void Transaction::drop(const std::string& target) {
    const std::size_t i = find(env_.resolve_link(target));
    if (i == steps_.size()) return;
    const std::string temp = steps_[i].temp;
    // Closed before it is removed: a host may refuse to remove an open file.
    std::erase_if(open_, [&](const auto& f) { return f.first == temp; });
    remove_quietly(env_, temp);
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(i));
    keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
}

bool Transaction::changes(const std::string& target) const {
    return find(env_.resolve_link(target)) < steps_.size();
}

std::string Transaction::current_path(const std::string& target) const {
    const std::size_t i = find(env_.resolve_link(target));
    if (i < steps_.size() && steps_[i].kind == 'R') return steps_[i].temp;
    return target;
}

Errno Transaction::prepare(const std::string& target, char kind, std::string_view bytes) {
    if (broken_ != 0) return 0;  // nothing of this run will be saved; commit says so
    JournalStep step;
    step.kind = kind;
    step.target = spelling(target);
    step.temp = temp_name_for(step.target);
    drop(step.target);
    // A temporary file left by a stopped run may be a second name of the
    // live target: it is removed, never written through.
    env_.remove(step.temp);
    // A target no file can replace (a directory in its place) fails now,
    // not once the run's changes are being made.
    // An append needs the target's length, to tell later whether it was made.
    std::unique_ptr<File> f;
    const Errno probe = env_.open(step.target, Access::read, Share::deny_none, f);
    Errno e = probe == EISDIR || (kind == 'A' && probe != ENOENT) ? probe : 0;
    if (e == 0 && f && kind == 'A') e = f->size(step.length);
    if (e != 0) return e;
    // Others may read it: a list changed twice in a run is read from here.
    f.reset();
    e = env_.open(step.temp, Access::create, Share::deny_none, f);
    if (e == 0) e = f->write(bytes.data(), bytes.size());
    if (e != 0) {
        f.reset();
        remove_quietly(env_, step.temp);
        env_.set_last_error(e);
        return e;
    }
    f->start_sync();
    open_.emplace_back(step.temp, std::move(f));
    keys_.push_back(env_.path_key(step.target));
    steps_.push_back(std::move(step));
    if (open_.size() >= kMaxOpen) finish_open_files();
    return 0;
}

Errno Transaction::replace(const std::string& target, std::string_view bytes) {
    return prepare(target, 'R', bytes);
}

Errno Transaction::append(const std::string& target, std::string_view bytes) {
    return prepare(target, 'A', bytes);
}

Errno Transaction::keep_copy(const std::string& source, const std::string& target) {
    if (broken_ != 0) return 0;
    JournalStep step;
    step.target = spelling(target);
    step.temp = temp_name_for(step.target);
    drop(step.target);
    env_.remove(step.temp);
    if (Errno e = env_.link_or_copy(source, step.temp)) return e;
    keys_.push_back(env_.path_key(step.target));
    steps_.push_back(std::move(step));
    return 0;
}

// Waits until every file written so far is on the disk. A failure here
// drops the whole transaction: what was told of the files it hit no
// longer holds, and the run's changes are made all together or not at all.
Errno Transaction::finish_open_files() {
    Errno first = 0;
    for (auto& [temp, f] : open_) {
        Errno e = f->sync();
        if (e == 0) e = f->close();
        if (e != 0 && first == 0) first = e;
    }
    open_.clear();
    if (first != 0) {
        drop_all();
        broken_ = first;
        env_.set_last_error(first);
    }
    return first;
}

CommitReport Transaction::commit() {
    CommitReport report;
    finish_open_files();
    if (broken_ != 0) return {CommitResult::not_saved, broken_, {}, 0};
    if (steps_.empty()) return report;
    if (Errno e = write_journal(env_, journal_, encode_journal(steps_))) {
        drop_all();
        return {CommitResult::not_saved, e, {}, 0};
    }
    const std::vector<JournalStep> steps = std::move(steps_);
    steps_.clear();  // from here on they belong to the journal
    keys_.clear();
    if (Errno e = carry_out(env_, steps, report)) {
        report.result = CommitResult::unfinished;
        report.error = e;
        return report;
    }
    remove_journal(env_, journal_);
    return report;
}

RollForward roll_forward(Env& env, const std::string& journal_path, CommitReport& report) {
    std::string bytes;
    // Looking for a journal that is not there leaves the run's last error
    // as it was: the messages that show it must not change.
    const Errno before = env.last_error();
    if (Errno e = read_whole_file(env, journal_path, Share::exclusive, bytes)) {
        if (e == ENOENT) {
            env.set_last_error(before);
            return RollForward::nothing;
        }
        report = {CommitResult::unfinished, e, {}, 0};
        return RollForward::failed;
    }
    bool whole = false;
    const std::vector<JournalStep> steps = decode_journal(bytes, whole);
    if (!whole) {
        for (const JournalStep& s : steps) env.remove(s.temp);
        env.remove(journal_path);
        return RollForward::nothing;
    }
    if (Errno e = carry_out(env, steps, report)) {
        report.result = CommitResult::unfinished;
        report.error = e;
        return RollForward::failed;
    }
    remove_journal(env, journal_path);
    return RollForward::finished;
}

std::string journal_path_for(const std::string& control_file_path) {
    const std::string dir = directory_of(control_file_path);
    std::string name = control_file_path.substr(dir.size());
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return dir + name + ".jnl";
}

}  // namespace zunt
