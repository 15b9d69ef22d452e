// Every value of the control file, read once at start-up and read-only after.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zunt {

struct ControlSettings {
    std::optional<std::string> farea_path;          // farea
    std::optional<std::string> activity_log_path;   // logfile
    std::vector<std::string> log_list;              // bbslog, mailerlog
    int counter_style = 0;                          // counterstyle 1-4
    int counter_length = 0;                         // counterlength 1-6
    int max_file_areas = 0;                         // maxfileareas, default 1024
    bool ignore_tic = false;                        // ignoretic
    bool zero_pad = false;                          // zeropadd
    std::vector<std::string> mailer_strings;        // mailerstring, then "DL-"
    std::optional<std::string> upload_log_path;     // uploadlog
    std::vector<std::string> ignore_paths;          // ignorepath, each ending in "\" (or "/")
    bool debug_mode = false;                        // debug
    bool kill_hard_space = false;                   // killhardspace
    std::optional<std::string> statistics_path;     // statistics
    int top_count = 25;                             // top 1-100
    std::optional<std::string> bbs_out_path;        // bbsout
    std::optional<std::string> text_out_path;       // textout
    std::vector<std::string> exclude_patterns;      // excludefromlist (upper case)
    std::optional<std::string> system_name;         // systemname
    int process_priority = 0;                       // priority
    bool tic_before = false;                        // ticfile before
    bool use_area_dat_first = true;                 // useareadatfirst
    int max_desc_len = 0;                           // maxdesclen 0-1024
    int sort_by = 0;                                // sortby: 1 name, 2 date
    int sort_order = 0;                             // sortorder: 1 ascending, 2 descending
    std::optional<std::string> ascii_area_path;     // asciiareafile
    int tabulate_column = 14;                       // tabulate minus one
    std::optional<std::string> maxfiles_idx_path;   // maxfilesidx
    bool relaxed_index_match = false;               // relaxedindexmatch
};

}  // namespace zunt
