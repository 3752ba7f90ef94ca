// Volumes made by other software (the shared corpus): every bare HFS volume
// opens, and every folder lists without damage.
#include <gtest/gtest.h>

#include <deque>

#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "tests/hfs/hfs_fixture.h"

namespace korvane {
namespace {

using testing::OpenedVolume;

TEST(Corpus, EveryFolderOfEveryBareVolumeLists) {
    const std::filesystem::path corpus = KORVANE_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    int opened = 0;
    for (const auto& file : std::filesystem::directory_iterator(corpus)) {
        const std::string head = testing::read_all(file.path().string()).substr(0, 1026);
        if (head.size() < 1026 || head.compare(1024, 2, "BD") != 0) continue;  // partitioned: discovery's part
        SCOPED_TRACE(file.path().filename().string());
        OpenedVolume volume(file.path().string() + ",ro");
        HfsContext& ctx = volume.ctx;
        ASSERT_EQ(volume.open(), CatalogOpen::Complete);
        ASSERT_TRUE(enterRootDirectory(ctx));
        std::deque<std::pair<std::uint32_t, std::string>> folders;
        std::size_t listed = 0;
        for (std::size_t visits = 0; visits < 1000; ++visits) {
            listed += ctx.state.entries.size();
            for (const ListingEntry& entry : ctx.state.entries) {
                if (entry.is_folder()) folders.emplace_back(ctx.state.current_dir_id, std::string(entry.name()));
                else EXPECT_TRUE(findEntry(ctx, entry.name(), kFileEntry, ctx.state.current_dir_id)) << entry.name();
            }
            if (folders.empty()) break;
            ASSERT_TRUE(enterDirectory(ctx, folders.front().first, folders.front().second));
            folders.pop_front();
            loadListing(ctx);
        }
        EXPECT_EQ(ctx.damagedNodes, 0u);
        EXPECT_EQ(listed, ctx.mdb.fileCount() + ctx.mdb.directoryCount());
        ++opened;
    }
    EXPECT_GT(opened, 0);
}

}  // namespace
}  // namespace korvane
