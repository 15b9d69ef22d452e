// Lists and index files as boards in the field have them: a Renegade-style
// listing with a title, empty lines, lines of blanks only and indented
// banners, sorted by /i.
#include <gtest/gtest.h>

#include "areas/area_test_util.h"
#include "e2e/e2e_util.h"

namespace zunt::e2e {
namespace {

// A Renegade-style listing in its parts; `field` is what stands between a
// file's name and its description ("" before /i).
struct Listing {
    std::string field;
    std::string title() const { return "          The Dark Tower BBS  -  Utilities\r\n\r\n"; }
    std::string zipfix() const { return "ZIPFIX.ZIP    " + field + "Repairs damaged ZIP archives\r\n"; }
    std::string pkz() const {
        return "PKZ204G.EXE   " + field + "PKZIP 2.04g, the archiver\r\n"
               "              .-------------------.\r\n"
               "              | PKWARE Inc.  1993 |\r\n"
               "              '-------------------'\r\n";
    }
    std::string blanks_and_banner() const { return std::string(40, ' ') + "\r\n     Archivers, newest first\r\n"; }
    std::string arj() const { return "ARJ250.EXE    " + field + "ARJ 2.50\r\n"; }
    std::string ain() const { return "AIN232.EXE    " + field + "AIN 2.32\r\n"; }
    std::string as_read() const { return title() + zipfix() + pkz() + blanks_and_banner() + arj() + ain(); }
};

// A line of blanks only ends a block and stays where it stands, and so does
// the banner after it; the banner below PKZ204G.EXE moves with its file.
TEST(FieldBoardsE2E, InitSortKeepsLinesOfBlanksInPlace) {
    Sandbox box;
    write_area_config(box, "counterstyle 1\r\ncounterlength 2\r\nsortby name\r\nsortorder ascending\r\n",
                      "Util files/util\r\n");
    box.write("files/util/files.bbs", Listing{""}.as_read());
    const RunResult r = box.run({"/czunt.ctl", "/i"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const Listing l{"[ 0] "};
    EXPECT_EQ(box.read("files/util/files.bbs"),
              l.title() + l.pkz() + l.zipfix() + l.blanks_and_banner() + l.ain() + l.arj());
}

}  // namespace
}  // namespace zunt::e2e
