// Opens a mutated medium through the image bus as discovery does (driver
// descriptor and partition maps, the volume header), lists every folder,
// reads every fork and pages through it as the dump window does, then copies the whole volume to a scratch folder in
// the copy mode and naming mode the input's last byte picks. Nothing on a medium may crash, hang or read outside a
// buffer; damaged structures end in a report.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/dump_state.h"
#include "core/dialog.h"
#include "core/host.h"
#include "core/quiet_host.h"
#include "device/image_bus.h"
#include "device/sector_io.h"
#include "fuzz/fuzz_drive.h"
#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/fork_copy.h"
#include "hfs/working_copies.h"
#include "transfer/copy_to_pc.h"
#include "util/byte_order.h"
#include "volume/discovery.h"
#include "volume/partition_map.h"

namespace korvane {
namespace {

// Bounds of one run: larger values only make a run slower, not deeper.
constexpr std::size_t kMaxFolders = 256;
constexpr std::uint32_t kMaxForkBytes = 256 * 1024;

// What the program itself refuses before it reads a catalog: a catalog it
// would stop on (an empty first extent, or more than the temporary folder
// could be asked to hold).
bool catalog_copyable(const HfsContext& ctx, std::size_t imageSize) {
    if (extent_descriptor(ctx.mdb.catalog_extents(), 0).block_count == 0) return false;
    return ctx.mdb.catalog_file_size() <= 2 * imageSize && ctx.mdb.extents_file_size() <= 2 * imageSize;
}

// Discovery up to the opening of the catalog, taking the first partition
// where a map offers several: the first allocation sector, or 0.
std::int32_t find_volume(HfsContext& ctx, std::size_t imageSize) {
    const PartitionMapReading map = read_partition_map(ctx);
    const std::int32_t found = read_volume_header(ctx, map.result > 0 ? map.volume_start : 0);
    return found > 0 && catalog_copyable(ctx, imageSize) ? found : 0;
}

// Copies the whole volume into an emptied scratch folder, as "COPY *" does.
void copy_volume(TransferContext& ctx, const std::string& folder, std::uint8_t choice) {
    static constexpr std::uint16_t kModes[] = {kCopyDataFork, kCopyResourceFork, kCopyMacBinary};
    ctx.state.option_flags = kModes[choice % 3];
    ctx.state.output_options = (choice / 3) % 2 == 0 ? kNamingLong : kNamingShort;
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    const int back = open(".", O_RDONLY | O_DIRECTORY);
    if (back < 0 || chdir(folder.c_str()) != 0) {
        if (back >= 0) close(back);
        return;
    }
    enter_root_directory(ctx);
    copy_matching(ctx, "*");
    [[maybe_unused]] const int returned = fchdir(back);
    close(back);
}

void read_forks(HfsContext& ctx, std::uint32_t dir_id, const std::string& name, int sink) {
    const auto found = find_entry(ctx, name, kFileEntry, dir_id);
    if (!found) return;
    std::array<std::uint8_t, kFileRecordSize> record{};
    std::copy_n(found->data.begin(), kFileRecordSize, record.begin());
    const std::uint32_t fileID = load_be32(record.data() + filrec::fileNumber);
    const std::uint32_t data_length = std::min(load_be32(record.data() + filrec::dataLogicalLength), kMaxForkBytes);
    const std::uint32_t resource_length =
            std::min(load_be32(record.data() + filrec::resourceLogicalLength), kMaxForkBytes);
    copy_fork_to_file(ctx, ExtentRecordBytes(record.data() + filrec::data_extents, 12), sink, fileID, data_length,
                      kDataFork);
    copy_fork_to_file(ctx, ExtentRecordBytes(record.data() + filrec::resource_extents, 12), sink, fileID,
                      resource_length, kResourceFork);
}

// The dump window on the file: the first, a middle and the last page of
// both forks, whatever lengths and extents the record claims.
void dump_file(Context& ctx, const std::string& name) {
    auto dump = DumpState::open(ctx, name);
    if (!dump) return;
    for (int fork : {dump_cmd::kResource, dump_cmd::kData}) {
        dump->run_command(fork);
        for (DumpScroll request : {DumpScroll::Bottom, DumpScroll::LineUp, DumpScroll::ThumbReleased}) {
            dump->scroll(request, dump->scroll_max() / 2);
            [[maybe_unused]] const auto lines = dump->screen_lines();
        }
    }
}

// Lists every folder reachable from the root, breadth first, reading the
// forks of every file on the way.
void walk_volume(Context& ctx, int sink) {
    enter_root_directory(ctx);
    std::deque<std::pair<std::uint32_t, std::string>> folders;  // (parent, name) still to enter
    std::set<std::uint32_t> entered = {ctx.state.current_dir_id};
    for (std::size_t visits = 0; visits < kMaxFolders; ++visits) {
        const std::uint32_t dir_id = ctx.state.current_dir_id;
        const std::vector<ListingEntry> entries = ctx.state.entries;
        for (const ListingEntry& entry : entries) {
            if (entry.is_folder()) {
                folders.emplace_back(dir_id, std::string(entry.name()));
            } else {
                read_forks(ctx, dir_id, std::string(entry.name()), sink);
                dump_file(ctx, std::string(entry.name()));
            }
        }
        for (;;) {
            if (folders.empty()) return;
            const auto [parent, name] = folders.front();
            folders.pop_front();
            if (enter_directory(ctx, parent, name) && entered.insert(ctx.state.current_dir_id).second) break;
        }
        load_listing(ctx);
    }
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    static const std::string image = fuzz::scratch_path("korvane-fuzz-image-");
    static const std::string sinkPath = fuzz::scratch_path("korvane-fuzz-fork-");
    static const std::string copyFolder = fuzz::scratch_path("korvane-fuzz-copy-");
    static const bool bounded = [] {
        // A fork may claim gigabytes: PC files stop growing at 16 MB instead
        // (the copy reports the failed write), which bounds a run's time.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16u << 20, 16u << 20};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }();
    if (!bounded || size < 3 * 512 || !fuzz::write_image(image, data, size)) return 0;

    const std::span<const std::uint8_t> bytes(data, size);
    parse_partition_map(bytes, 512);
    parse_partition_map(bytes, 1024);

    QuietHost host;
    Context ctx(host);
    if (!fuzz::attach_as_drive(ctx, image + ",ro")) return 0;
    install_transfer_routine(ctx, 512);
    const std::int32_t found = find_volume(ctx, size);
    if (found <= 0) return 0;

    const int sink = open(sinkPath.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0600);
    if (sink < 0) return 0;
    open_found_volume(ctx, found);
    walk_volume(ctx, sink);
    close(sink);
    copy_volume(ctx, copyFolder, data[size - 1]);
    return 0;
}
