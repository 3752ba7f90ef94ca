// Scripts of MD, RENAME, DELETE and LABEL run through korvane-cmd on volumes
// made by hfsutils and on copies of corpus images: hundreds of folders made
// and deleted (nested and not empty too), hundreds of files renamed until the
// catalog index is three levels deep, wildcards on both sides, a new label.
// hfsutils then reads back exactly the expected names and contents, and
// CHECK finds nothing.
#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "hfs/btree_node.h"
#include "tests/e2e/listing_fixture.h"
#include "tests/hfs/check_fixture.h"

namespace korvane::e2e {
namespace {

std::string numbered(const std::string& prefix, int n) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", n);
    return prefix + digits;
}

// Runs a script through korvane-cmd's standard input, answering --yes.
int run_script(const ScratchDir& dir, const std::string& image, const std::vector<std::string>& lines) {
    const std::string script = dir / "script.txt";
    std::ofstream out(script, std::ios::binary);
    for (const std::string& line : lines) out << line << "\n";
    out.close();
    return run_program(dir.path(), {korvane_cmd(), "--yes", image}, nullptr, script);
}

// The names hls lists in a folder, in UTF-8.
std::set<std::string> hls_names(const ScratchDir& dir, const std::string& image, const std::string& path) {
    std::set<std::string> names;
    for (const std::string& line : split_lines(testing::hfsutils_read(dir.path(), image, {"hls", "-1a", path})))
        names.insert(mac_roman_to_utf8(line));
    return names;
}

// What differs between the names hls lists and those expected: "+name" for
// one too many, "-name" for one missing.
std::vector<std::string> name_differences(const std::set<std::string>& listed, const std::set<std::string>& expected) {
    std::vector<std::string> differences;
    for (const std::string& name : listed)
        if (!expected.count(name)) differences.push_back("+" + name);
    for (const std::string& name : expected)
        if (!listed.count(name)) differences.push_back("-" + name);
    return differences;
}

TEST(FolderEditScripts, HundredsOfFoldersAndRenamesOnAnHfsutilsVolume) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "edit.img", 4096, "Edits");
    volume.tool({"hmount", volume.image()});
    std::vector<std::string> script;
    std::set<std::string> root;
    for (int i = 0; i < 400; ++i) {
        volume.add_text_file(":" + numbered("file", i), "contents of " + std::to_string(i));
        root.insert(numbered("renamed", i));
    }
    for (int i = 0; i < 300; ++i) {
        // Names in the order Mac OS keeps: "ß" and the brackets among them.
        const std::string name = numbered(i % 3 == 0 ? "Dir ß[" : "dir ]", i);
        script.push_back("MD \"" + name + "\"");
        if (i % 3 == 0 && i >= 150) continue;  // deleted below by a wildcard
        root.insert(name);
    }
    // A nested folder with a file, deleted with its parent after the question.
    script.insert(script.end(), {"CD \"Dir ß[150\"", "MD Inner", "CD Inner", "MD Deeper", "CD \\"});
    script.insert(script.end(), {"RENAME file* renamed*", "DELETE \"Dir ß[15*\""});
    for (int i = 162; i < 300; i += 3) script.push_back("DELETE \"" + numbered("Dir ß[", i) + "\"");
    script.push_back("LABEL \"Éditions été\"");
    script.push_back("MD ALREADY");
    root.insert("Already");

    volume.unmount();
    EXPECT_EQ(run_script(dir, volume.image(), script), 0);
    EXPECT_EQ(testing::check_problems(volume.image()), "");
    EXPECT_EQ(name_differences(hls_names(dir, volume.image(), ":"), root), std::vector<std::string>{});
    testing::hfsutils_read(dir.path(), volume.image(), {"hls", "-R", ":"});
    const std::string volumeLine = testing::hfsutils_read(dir.path(), volume.image());
    EXPECT_NE(mac_roman_to_utf8(volumeLine).find("\"Éditions été\""), std::string::npos) << volumeLine;
    testing::hfsutils_read(dir.path(), volume.image(), {"hcopy", "-r", ":renamed321", dir / "copied"});
    EXPECT_EQ(read_all(dir / "copied"), "contents of 321");

    testing::OpenedVolume opened(volume.image());
    ASSERT_EQ(opened.open(), CatalogOpen::Complete);
    EXPECT_GE(tree_depth(opened.ctx.catalogTree.header), 3);
}

TEST(FolderEditScripts, CorpusVolumesTakeTheSameScript) {
    for (const char* name :
         {"macos1995-floppy1440-19docs.img", "linuxkernel-floppy1440-dirty-1file.img", "macos-blank800k.dsk"}) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        const std::string image = testing::corpus_copy(dir, name);
        if (image.empty()) GTEST_SKIP() << "corpus not present";
        std::set<std::string> expected = hls_names(dir, image, ":");
        std::vector<std::string> script;
        for (int i = 0; i < 120; ++i) {
            script.push_back("MD " + numbered("neu", i));
            script.push_back("CD " + numbered("neu", i));
            script.push_back("MD inside");
            script.push_back("CD ..");
            if (i >= 100 && i % 2 == 0) expected.insert(numbered("alt", i));
        }
        // Folders that are not empty go after the question, answered by --yes.
        script.insert(script.end(), {"RENAME neu* alt*", "DELETE alt0*"});
        for (int i = 101; i < 120; i += 2) script.push_back("DELETE " + numbered("alt", i));
        const std::string pristine = read_all(image);
        EXPECT_EQ(run_script(dir, image, script), 0);
        EXPECT_EQ(testing::check_problems(image), "");
        EXPECT_EQ(testing::changed_blocks_outside_the_trees(pristine, read_all(image)), 0u) << "a fork moved";
        EXPECT_EQ(name_differences(hls_names(dir, image, ":"), expected), std::vector<std::string>{});
        testing::hfsutils_read(dir.path(), image, {"hls", "-R", ":"});
        // The volume's own files and folders go too, both forks of each.
        EXPECT_EQ(run_script(dir, image, {"DELETE *"}), 0);
        EXPECT_EQ(testing::check_problems(image), "");
        EXPECT_EQ(hls_names(dir, image, ":"), std::set<std::string>{});
    }
}

}  // namespace
}  // namespace korvane::e2e
