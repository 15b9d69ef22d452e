// Lists and index files as boards in the field have them: a Renegade-style
// listing with a title, empty lines, lines of blanks only and indented
// banners, sorted by /i; and maxfiles.idx entries pointing at farea.dat
// records that the area table leaves out.
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

// maxfiles.idx points at farea.dat records whatever their attributes, even
// those the area table leaves out; an entry pointing at a division, which
// has neither path, finds no list (and not "files.bbs" here).
TEST(FieldBoardsE2E, IndexLookupTakesEveryAreaButDivisions) {
    const std::string find_pkz = "  Incremented DLC for pkz204g.exe by 1 to 4\n";
    const std::string no_area = "  No area for \"zipfix.zip\", skipping file!\n";
    const Listing counted{"[ 3] "};
    for (const std::uint16_t attributes : {0x1000, 0x2000, 0x4000, 0x8000}) {
        SCOPED_TRACE(attributes);
        std::vector<testing::TestArea> areas(3);
        areas[0] = {"Archives", "", "", 0x4000};
        areas[1] = {"UTIL", "files\\util\\", "lists\\util.bbs", attributes};
        areas[2] = {"", "", "", 0x8000};
        const testing::TestFarea farea = testing::build_farea(areas);
        Sandbox box;
        box.write("zunt.ctl", "counterstyle 1\r\ncounterlength 2\r\nbbslog max.log\r\n"
                              "farea max\\farea.dat\r\nmaxfilesidx max\\maxfiles.idx\r\n");
        box.write("max/farea.dat", farea.dat);
        box.write("max/farea.idx", farea.idx);
        box.write("max/maxfiles.idx", testing::maxfiles_record("PKZ204G.EXE", 1) +
                                          testing::maxfiles_record("ZIPFIX.ZIP", 2));
        box.write("max.log", "* 16 Dec 04:59:11 MAX  DL-Z files\\util\\pkz204g.exe\r\n"
                             "* 16 Dec 04:59:12 MAX  DL-Z files\\util\\zipfix.zip\r\n");
        box.write("lists/util.bbs", counted.as_read());
        box.write("files.bbs", counted.as_read());
        const RunResult r = box.run({"/czunt.ctl"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_NE(r.err.find(find_pkz), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(no_area), std::string::npos) << r.err;
        EXPECT_EQ(box.read("files.bbs"), counted.as_read());
    }
}

}  // namespace
}  // namespace zunt::e2e
