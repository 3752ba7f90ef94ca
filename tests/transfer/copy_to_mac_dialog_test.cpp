// "Copy PC -> Mac" over real PC folders: what the copy is asked for, in
// which PC directory, for each button, and the total of the selection.

#include "transfer/copy_to_mac_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/scratch_dir.h"
#include "tests/support/scripted_host.h"
#include "util/pc_directory.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

TEST(ExactNamePattern, EscapesEveryWildcardCharacter) {
    const std::pair<const char*, const char*> cases[] = {
            {"plain.txt", "plain.txt"}, {"a*", "a\\*"}, {"wh?t", "wh\\?t"}, {"[x]\\y", "\\[x]\\\\y"}};
    for (const auto& [name, pattern] : cases) EXPECT_EQ(exact_name_pattern(name), pattern) << name;
}

struct CopyToMacDialogTest : ::testing::Test {
    struct Call {
        std::string pattern;
        std::string directory;
        bool operator==(const Call&) const = default;
    };
    testing::ScriptedHost host;
    TransferContext ctx{host};
    testing::ScratchDir dir;
    fs::path saved = fs::current_path();
    std::vector<Call> calls;
    std::vector<int> results;  // what the copy answers, in order; 0 once they run out

    CopyToMacDialogTest() {
        for (const auto& [name, bytes] : {std::pair{"a*", 3}, {"ab", 5}, {"b.txt", 7}})
            std::ofstream(dir / name) << std::string(static_cast<std::size_t>(bytes), 'x');
        fs::create_directories(dir / "sub");
        fs::create_directories(dir / ".hidden");
        fs::current_path(dir.path());
    }
    ~CopyToMacDialogTest() override { fs::current_path(saved); }

    CopyToMacDialog dialog() {
        return CopyToMacDialog(ctx, [this](TransferContext&, std::string_view pattern) {
            calls.push_back({std::string(pattern), current_directory()});
            const int result = results.empty() ? 0 : results.front();
            if (!results.empty()) results.erase(results.begin());
            return result;
        });
    }
};

TEST_F(CopyToMacDialogTest, AStopOrAnAbortLeavesTheRestSelected) {
    CopyToMacDialog copy = dialog();
    results = {0, 1};
    copy.select_files({0, 1, 2});
    EXPECT_TRUE(copy.copy_selection());
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(copy.selected_files(), (std::vector<std::size_t>{1, 2}));

    calls.clear();
    host.escapes = {false, true};
    EXPECT_TRUE(copy.copy_selection());
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_EQ(copy.selected_files(), std::vector<std::size_t>{2});
}

TEST_F(CopyToMacDialogTest, AllFilesCopiesTheMaskAndDirectoryItsName) {
    CopyToMacDialog copy = dialog();
    EXPECT_TRUE(copy.copy_all_files());
    EXPECT_EQ(copy.set_mask("*.txt"), 0);  // what the mask lists is checked in the window's tests
    EXPECT_TRUE(copy.copy_all_files());

    const std::vector<std::string> directories = copy.shown_directories();
    ASSERT_EQ(directories, (std::vector<std::string>{"[..]", "[.hidden]", "[sub]"}));
    EXPECT_FALSE(copy.copy_directory(0));
    EXPECT_FALSE(copy.copy_directory(1));
    EXPECT_TRUE(copy.copy_directory(2));
    EXPECT_EQ(calls, (std::vector<Call>{{"*", dir.path()}, {"*.txt", dir.path()}, {"sub", dir.path()}}));
}

}  // namespace
}  // namespace korvane
