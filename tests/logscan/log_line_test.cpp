#include "logscan/log_line.h"

#include <gtest/gtest.h>

namespace zunt {
namespace {

struct DownloadCase {
    const char* line;
    LineDownload want;
    const char* path;  // for listed and counted
};

TEST(LogLine, FindDownload) {
    const std::vector<std::string> tokens = download_tokens({"sent:", "Sending"});
    const std::vector<std::string> ignore = {"d:\\temp\\"};
    const DownloadCase cases[] = {
        // The board's own line: token at offset 23, protocol letter, path.
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\files\\util\\tool.zip", LineDownload::counted,
         "d:\\files\\util\\tool.zip"},
        {"+ 16 Dec 04:59:11 MAX  DL-Z D:\\FILES\\UTIL\\TOOL.ZIP", LineDownload::counted,
         "d:\\files\\util\\tool.zip"},
        // binkd, with a short and with a 7-digit process id.
        {"+ 16 Dec 04:59:11 [4242] sent: /srv/files/util/a.zip (12345, 3456.78 CPS, 2:5020/1)",
         LineDownload::counted, "/srv/files/util/a.zip"},
        {"+ 16 Dec 04:59:11 [1234567] sent: /srv/files/util/a.zip (12345, 3456.78 CPS, 2:5020/1)",
         LineDownload::counted, "/srv/files/util/a.zip"},
        {"DL-X c:\\a.zip", LineDownload::counted, "c:\\a.zip"},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\files\\timeout.zip", LineDownload::excluded, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\out\\00ff0001.pkt", LineDownload::excluded, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\out\\mail.mo3", LineDownload::excluded, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\out\\node.req", LineDownload::excluded, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\out\\board.qwk", LineDownload::excluded, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\temp\\a.zip", LineDownload::excluded, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\temp\\sub\\a.zip", LineDownload::counted,
         "d:\\temp\\sub\\a.zip"},
        {"+ 16 Dec 04:59:11 MAX  DL-Z d:\\in\\a1b2.tic", LineDownload::listed, "d:\\in\\a1b2.tic"},
        // Tokens are tried in order; the first found decides, even when its
        // file is excluded.
        {"+ 16 Dec 04:59:11 [1] sent: x.zip DL-Z y.zip", LineDownload::counted, "x.zip"},
        {"+ 16 Dec 04:59:11 [1] DL-Z y.zip Sending x.zip", LineDownload::counted, "x.zip"},
        {"+ 16 Dec 04:59:11 [1] sent: x.pkt DL-Z y.zip", LineDownload::excluded, ""},
        // Nothing to take.
        {"+ 16 Dec 04:59:11 MAX  Caller logged off", LineDownload::none, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z", LineDownload::none, ""},
        {"DL-", LineDownload::none, ""},
        {"", LineDownload::none, ""},
        {"+ 16 Dec 04:59:11 MAX  DL-Z  d:\\a.zip", LineDownload::none, ""},
    };
    for (const DownloadCase& c : cases) {
        std::string path = "?";
        EXPECT_EQ(find_download(c.line, tokens, ignore, path), c.want) << c.line;
        if (c.want == LineDownload::counted || c.want == LineDownload::listed) {
            EXPECT_EQ(path, c.path) << c.line;
        }
    }
}

TEST(LogLine, DownloadTokensEndWithBoardToken) {
    EXPECT_EQ(download_tokens({}), (std::vector<std::string>{"DL-"}));
    EXPECT_EQ(download_tokens({"sent:", "DL-"}), (std::vector<std::string>{"sent:", "DL-"}));
    EXPECT_EQ(download_tokens({"", "sent:"}), (std::vector<std::string>{"sent:", "DL-"}));
}

TEST(LogLine, ExclusionLists) {
    struct {
        const char* name;
        const char* ext;
        bool excluded;
    } cases[] = {
        {"end", ".zip", true},       {"ending", ".zip", false}, {"a", ".su0", true},
        {"a", ".sun", true},         {"a", ".zip", false},      {"a", "", false},
        {"xeniaqut", "", true},      {"a", ".zic", true},       {"a", ".tic", false},
        {"a", ".x.pkt", true},       {"a", "..mo", true},       {"a", ".s", false},
        {"a", ".", false},           {"a", ".pk", false},       {"a", ".PKT", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(is_excluded_file(c.name, c.ext), c.excluded) << c.name << c.ext;
}

TEST(LogLine, Uploads) {
    const std::string ul = "+ 16 Dec 04:59:11 MAX  UL-Z d:\\upload\\new.zip";
    EXPECT_EQ(upload_entry(ul, "John Doe"), "16 Dec 04:59:11 UL: d:\\upload\\new.zip (by John Doe)");
    EXPECT_EQ(upload_entry("+ 16 Dec 04:59:11 MAX  UL-", ""), "16 Dec 04:59:11 UL:  (by )");
    EXPECT_EQ(upload_entry("UL-", "x"), "- UL:  (by x)");  // what there is of the date

    EXPECT_EQ(uploader_of("+ 16 Dec 04:59:11 MAX  John Doe U#=17 calling"), "John Doe");
    EXPECT_EQ(uploader_of("+ 16 Dec 04:59:11 MAX  John U#=17"), "John U#=17");
    EXPECT_EQ(uploader_of("+ 16 Dec 04:59:11 MAX  Solo"), "Solo");
    EXPECT_EQ(uploader_of("U#=17"), "");
}

}  // namespace
}  // namespace zunt
