// A FILES.BBS read whole and its new content put into the run's
// transaction: the list changes on disk only when the run commits, and the
// previous list then becomes the ".bak" of the same base name (an older
// ".bak" is replaced).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/transaction.h"

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
// They go into `lines` (emptied first) as views into `bytes`.
void list_line_views(std::string_view bytes, std::vector<std::string_view>& lines);

// The bytes of a list, into `out` (emptied first): every line followed by
// CR LF.
void join_list_lines(const std::vector<std::string>& lines, std::string& out);

// Reads the list whole as this run has it: the new content the
// transaction already holds for it, else the list on disk (held with
// `share` while it is read). rename_failed when it cannot be opened (or
// would be its own backup), read_failed when reading fails.
RewriteResult read_list(Env& env, const Transaction& changes, const std::string& list_path,
                        Share share, std::string& bytes);

// Puts the new list into the transaction, with its ".bak": `backup` when
// given, else the list as it stood before (`old_bytes`, as read_list gave
// them). create_failed when the new list cannot be written, rename_failed
// when its backup cannot; then neither is in the transaction.
RewriteResult stage_list(Transaction& changes, const std::string& list_path,
                         std::string_view new_bytes, std::string_view old_bytes,
                         const std::string* backup);

}  // namespace zunt
