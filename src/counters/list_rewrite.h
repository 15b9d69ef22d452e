// Rewriting a FILES.BBS without ever losing it. At every moment, a crash or a
// full disk included, the list exists complete under its own name, with its
// old or its new content. On success the previous list is kept as the ".bak"
// of the same base name (an older ".bak" is replaced).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace zunt {

// Values are the codes the callers report.
enum class RewriteResult {
    ok = 0,
    rename_failed = 1,  // the list could not be taken or backed up (missing, locked, ".bak" name)
    read_failed = 2,    // reading the list failed
    create_failed = 3,  // the new list could not be created or written
};

// Drive, directory and base name of the list, with ".bak".
std::string backup_name_for(const std::string& list_path);

// True when the list's own extension is ".bak" (any case): such a list would
// be its own backup.
bool is_backup_name(const std::string& list_path);

// The lines of a list as read: split at LF, a CR right before the LF dropped;
// only Ctrl-Z bytes at the very end of the file end it. A last line without
// LF counts like the others.
std::vector<std::string> split_list_bytes(std::string_view bytes);
// The same lines, as views into `bytes`.
std::vector<std::string_view> list_line_views(std::string_view bytes);
// The same, into `lines` (emptied first), whose storage is reused.
void list_line_views(std::string_view bytes, std::vector<std::string_view>& lines);

// The bytes of a list: every line followed by CR LF.
std::string join_list_lines(const std::vector<std::string>& lines);
// The same, into `out` (emptied first), whose storage is reused.
void join_list_lines(const std::vector<std::string>& lines, std::string& out);

// Changes the list's lines in place.
using LineTransform = std::function<void(std::vector<std::string>& lines)>;

// Like LineTransform; it may also set `backup` to the bytes the ".bak" must
// hold instead of the list as it stood on disk (for callers that apply
// several updates in memory and write the list once).
using StagedTransform =
    std::function<void(std::vector<std::string>& lines, std::optional<std::string>& backup)>;

// Reads the list whole (held with `share`), transforms its lines, writes them
// to a temporary file beside it (every write checked, synced, closed), then
// makes the old list the ".bak" and gives the new one the list's name. Any
// failure leaves the list as it was and returns the code of the failing step;
// the transform is not called when reading fails. A missing list leaves an
// older backup untouched.
RewriteResult rewrite_list(Env& env, const std::string& list_path, Share share,
                           const LineTransform& transform);

// Like rewrite_list, on the list's bytes: `transform` gets the list as read
// in `old_bytes` (it may change them) and appends the new list's bytes to
// `new_bytes` (empty when it is called). Both buffers are the caller's, so
// that a run over many lists reuses their storage.
using ByteTransform = std::function<void(std::string& old_bytes, std::string& new_bytes)>;
RewriteResult rewrite_list_bytes(Env& env, const std::string& list_path, Share share,
                                 std::string& old_bytes, std::string& new_bytes,
                                 const ByteTransform& transform);

// Where a streamed rewrite puts the new list's bytes, in order. Runs of the
// old list that stay as they are may be put as one piece, straight from
// what was read.
class ListSink {
public:
    virtual ~ListSink() = default;
    virtual void put(std::string_view bytes) = 0;
};

// The new list gathered in memory.
class StringSink final : public ListSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    void put(std::string_view bytes) override { out_ += bytes; }

private:
    std::string& out_;
};

// Takes a run of whole lines of the list as read, each ending in LF but for
// a last line of the list without one (its closing Ctrl-Z bytes already
// gone), and puts each new line with its CR LF into the sink.
using LineBlockStream = std::function<void(std::string_view lines, ListSink& sink)>;

// Like rewrite_list, streamed: the list is handed to `per_block` in runs of
// whole lines and never held whole in memory.
RewriteResult rewrite_list_streamed(Env& env, const std::string& list_path, Share share,
                                    const LineBlockStream& per_block);
RewriteResult rewrite_list_staged(Env& env, const std::string& list_path, Share share,
                                  const StagedTransform& transform);

// What a staged rewrite holds a list in. A run over many lists passes the
// same buffers each time, so that the lines keep their storage.
struct StagedBuffers {
    std::string old_bytes, new_bytes;
    std::vector<std::string_view> views;
    std::vector<std::string> lines;
};
RewriteResult rewrite_list_staged(Env& env, const std::string& list_path, Share share,
                                  StagedBuffers& buffers, const StagedTransform& transform);

}  // namespace zunt
