// Opens a mutated HFS image through the image bus, lists every folder and
// reads every fork. Nothing on a volume may crash, hang or read outside a
// buffer; damaged structures end in a report.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/dialog.h"
#include "core/host.h"
#include "core/quiet_host.h"
#include "device/image_bus.h"
#include "device/sector_io.h"
#include "util/byte_order.h"
#include "hfs/catalog_search.h"
#include "hfs/current_directory.h"
#include "hfs/fork_copy.h"
#include "hfs/working_copies.h"

namespace korvane {
namespace {

// Bounds of one run: larger values only make a run slower, not deeper.
constexpr std::size_t kMaxFolders = 256;
constexpr std::uint32_t kMaxForkBytes = 256 * 1024;

std::string scratchPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/" + name + std::to_string(getpid());
}

bool writeImage(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    if (fd < 0) return false;
    const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    return written;
}

// What the program itself refuses before it reads a catalog: no HFS header,
// an unusable geometry, or a catalog the program would stop on (an empty
// first extent, or more than the temporary folder could be asked to hold).
bool openable(HfsContext& ctx, std::size_t imageSize) {
    DeviceRequest request;
    request.sector = 2;
    request.count = 1;
    request.buffer = ctx.mdb.bytes.data();
    if (transfer(ctx, request) != 0) return false;
    if (!deriveGeometry(ctx.mdb, 0, ctx.geometry)) return false;
    if (extentDescriptor(ctx.mdb.catalogExtents(), 0).blockCount == 0) return false;
    return ctx.mdb.catalogFileSize() <= 2 * imageSize && ctx.mdb.extentsFileSize() <= 2 * imageSize;
}

void readForks(HfsContext& ctx, std::uint32_t dirID, const std::string& name, int sink) {
    const auto found = findEntry(ctx, name, kFileEntry, dirID);
    if (!found) return;
    std::array<std::uint8_t, kFileRecordSize> record{};
    std::copy_n(found->data.begin(), kFileRecordSize, record.begin());
    const std::uint32_t fileID = loadBE32(record.data() + filrec::fileNumber);
    const std::uint32_t dataLength = std::min(loadBE32(record.data() + filrec::dataLogicalLength), kMaxForkBytes);
    const std::uint32_t resourceLength = std::min(loadBE32(record.data() + filrec::resourceLogicalLength), kMaxForkBytes);
    copyForkToFile(ctx, ExtentRecordBytes(record.data() + filrec::dataExtents, 12), sink, fileID, dataLength, kDataFork);
    copyForkToFile(ctx, ExtentRecordBytes(record.data() + filrec::resourceExtents, 12), sink, fileID, resourceLength,
                   kResourceFork);
}

// Lists every folder reachable from the root, breadth first, reading the
// forks of every file on the way.
void walkVolume(HfsContext& ctx, int sink) {
    enterRootDirectory(ctx);
    std::deque<std::pair<std::uint32_t, std::string>> folders;  // (parent, name) still to enter
    std::set<std::uint32_t> entered = {ctx.state.current_dir_id};
    for (std::size_t visits = 0; visits < kMaxFolders; ++visits) {
        const std::uint32_t dirID = ctx.state.current_dir_id;
        const std::vector<ListingEntry> entries = ctx.state.entries;
        for (const ListingEntry& entry : entries) {
            if (entry.is_folder()) {
                folders.emplace_back(dirID, std::string(entry.name()));
            } else {
                readForks(ctx, dirID, std::string(entry.name()), sink);
            }
        }
        for (;;) {
            if (folders.empty()) return;
            const auto [parent, name] = folders.front();
            folders.pop_front();
            if (enterDirectory(ctx, parent, name) && entered.insert(ctx.state.current_dir_id).second) break;
        }
        loadListing(ctx);
    }
}

}  // namespace
}  // namespace korvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    static const std::string image = scratchPath("korvane-fuzz-image-");
    static const std::string sinkPath = scratchPath("korvane-fuzz-fork-");
    if (size < 3 * 512 || !writeImage(image, data, size)) return 0;

    QuietHost host;
    HfsContext ctx(host);
    auto bus = std::make_unique<ImageBus>();
    bus->pause = [](std::chrono::milliseconds) {};
    if (!bus->attachImage(0, image + ",ro").empty()) return 0;
    ctx.transport = std::move(bus);
    ctx.state.host_adapter = 0;
    ctx.state.target_id = 0;
    installTransferRoutine(ctx, 512);
    if (!openable(ctx, size)) return 0;

    const int sink = open(sinkPath.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0600);
    if (sink < 0) return 0;
    openCatalogTree(ctx);
    walkVolume(ctx, sink);
    close(sink);
    return 0;
}
