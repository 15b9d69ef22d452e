#include "platform/transaction.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "areas/area_test_util.h"
#include "support/fault_env.h"

namespace zunt {
namespace {

namespace fs = std::filesystem;
using testing::slurp;

// The upload log is long enough that its length takes two bytes in the journal.
const std::string kFirst = std::string(298, 'f') + "\r\n";
const std::string kOld = "old a|old b|" + kFirst, kNew = "new a|new b|" + kFirst + "second\r\n";

// Two files replaced and one appended to, in one transaction.
struct Board {
    testing::ScratchDir dir{"transaction"};
    std::string a = dir.path("a.dat"), b = dir.path("b.dat"), up = dir.path("up.log"), jnl = dir.path("t.jnl");
    void lay_out() { dir.write("a.dat", "old a"), dir.write("b.dat", "old b"), dir.write("up.log", kFirst), fs::remove(jnl); }
    // Prepares the three changes; true when every one was prepared.
    bool prepare(Transaction& t) const {
        const bool a_in = t.replace(a, "new a") == 0, b_in = t.replace(b, "new b") == 0;
        return t.append(up, "second\r\n") == 0 && a_in && b_in;
    }
    std::string state() const { return slurp(a) + "|" + slurp(b) + "|" + slurp(up); }
    bool leftovers() const { return fs::exists(jnl) || fs::exists(a + ".~zt") || fs::exists(b + ".~zt"); }
    // The journal of a run stopped after its commit, with every rename
    // still to be made (they fail).
    std::string stopped_journal() {
        lay_out();
        struct NoRename : testing::FaultEnv {
            using FaultEnv::FaultEnv;
            Errno rename(const std::string&, const std::string&) override { return fail(EIO); }
        } env(default_env());
        Transaction t(env, jnl);
        prepare(t);
        EXPECT_EQ(t.commit().result, CommitResult::unfinished);
        return slurp(jnl);
    }
};

// Whatever single operation fails, the changes are made all or none, once
// the next run has finished a journal the failing one left; a temporary
// file whose removal failed is removed by the next transaction that needs
// its name.
TEST(Transaction, EveryFailurePointMakesAllOrNothing) {
    Board board;
    long n = 1;
    for (;; ++n) {
        board.lay_out();
        testing::FaultEnv env(default_env(), n);
        bool prepared = false;
        CommitReport report, again;
        {
            Transaction t(env, board.jnl);
            prepared = board.prepare(t);
            report = t.commit();
        }
        if (!env.fired()) break;
        EXPECT_NE(roll_forward(default_env(), board.jnl, again), RollForward::failed) << n;
        const bool saved = report.result != CommitResult::not_saved;
        EXPECT_TRUE(!prepared || (saved ? report.append_error != 0 || board.state() == kNew : board.state() == kOld)) << n;
        EXPECT_FALSE(board.leftovers()) << n;
    }
    EXPECT_GE(n, 13);
}

// A journal cut anywhere was never committed: nothing changes, and the
// temporary files it names go. A whole one is carried out once, however
// often the next runs are stopped while they carry it out, and an append
// half made is not made twice.
TEST(Transaction, TornJournalIsDroppedAndAWholeOneCarriedOutOnce) {
    Board board;
    const std::string whole = board.stopped_journal();
    for (std::size_t cut : {std::size_t{0}, std::size_t{5}, std::size_t{20}, whole.size() / 2, whole.size() - 1}) {
        board.stopped_journal();
        board.dir.write("t.jnl", whole.substr(0, cut));
        CommitReport report;
        EXPECT_EQ(roll_forward(default_env(), board.jnl, report), RollForward::nothing) << cut;
        EXPECT_EQ(board.state(), kOld) << cut;
        EXPECT_FALSE(fs::exists(board.jnl)) << cut;
    }
    EXPECT_FALSE(board.leftovers());  // the last cut named every temporary file
    for (long stop_at = 1; stop_at < 12; ++stop_at) {
        board.stopped_journal();
        board.dir.write("up.log", kFirst + "sec");  // the append was under way
        testing::FaultEnv stopping(default_env(), stop_at);
        CommitReport report;
        roll_forward(stopping, board.jnl, report);
        EXPECT_NE(roll_forward(default_env(), board.jnl, report), RollForward::failed) << stop_at;
        EXPECT_TRUE(report.append_error != 0 || board.state() == kNew) << stop_at;
        EXPECT_EQ(std::distance(fs::directory_iterator(board.dir.root()), {}), 3) << stop_at;
    }
}

// A file reached through a symbolic link is replaced behind the link and
// keeps its permissions; a name given in other case is the one on disk.
TEST(Transaction, KeepsPermissionsLinksAndTheNameOnDisk) {
    {  // a temporary file left as a second name of its target is not written through
        Board board;
        board.lay_out();
        fs::create_hard_link(board.a, board.a + ".~zt");
        Transaction t(default_env(), board.jnl);
        t.replace(board.a, "new a");
        EXPECT_EQ(slurp(board.a), "old a");
    }
    testing::ScratchDir dir("identity");
    const std::string target = dir.write("Real/FILES.BBS", "old");
    fs::permissions(target, fs::perms(0640));
    fs::create_symlink(target, dir.path("files.bbs"));
    for (const char* name : {"files.bbs", "real/files.bbs"}) {
        Transaction t(default_env(), dir.path("t.jnl"));
        ASSERT_EQ(t.replace(dir.path(name), name), 0);
        ASSERT_EQ(t.commit().result, CommitResult::done);
        EXPECT_EQ(slurp(target), name);
    }
    EXPECT_TRUE(fs::is_symlink(dir.path("files.bbs")));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path("Real")), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace zunt
