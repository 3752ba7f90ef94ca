#include "volume/rescue_scan.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "core/notices.h"
#include "device/sector_io.h"
#include "hfs/fork_copy.h"
#include "transfer/dos_name.h"
#include "transfer/pc_output.h"
#include "volume/medium_reader.h"
#include "volume/open_volume.h"
#include "volume/rescue_geometry.h"
#include "volume/rescue_node.h"
#include "volume/volume_header.h"

namespace korvane {
namespace {

constexpr std::uint16_t kBlockBytes = 512;
constexpr const char* kFilesRescued = "%lu files rescued.";
constexpr const char* kNothingPlaced =
        "Catalog nodes were found, but no volume header tells where the files' blocks lie: nothing was rescued.";

void report_rescue(TransferContext& ctx, const RescueResult& result) {
    if (result.noGeometry) show_notice(ctx, kNothingPlaced);
    char text[64];
    std::snprintf(text, sizeof text, kFilesRescued, static_cast<unsigned long>(result.files));
    set_status(ctx, text, nullptr);
}

// The medium's size in 512-byte sectors: the drive's answer, else what
// discovery recorded.
std::uint32_t medium_sectors(TransferContext& ctx) {
    if (const auto capacity = read_drive_capacity(ctx)) {
        if (capacity->blockLength == 512 || capacity->blockLength == 1024)
            return static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity->sectors512(), UINT32_MAX));
    }
    return ctx.device.capacity * std::max<std::uint32_t>(1, ctx.device.sectorSize / 512u);
}

bool read_sectors(TransferContext& ctx, std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) {
    return transfer_selected(ctx, kOpRead, sector, count, buffer) == 0;
}

void examine(ScanFindings& findings, std::uint32_t sector, const std::uint8_t* bytes) {
    const std::span<const std::uint8_t> block(bytes, kBlockBytes);
    if (is_catalog_leaf(block)) {
        NodeBuffer& node = findings.leaves[sector];
        std::copy(block.begin(), block.end(), node.begin());
    } else if (is_tree_header_node(block)) {
        findings.treeHeaders.insert(sector);
    } else if (block[0] == 'B' && block[1] == 'D' && findings.headers.size() < kMaxRescueHeaders &&
               accepts_volume_header(block)) {
        // The signature first: the full test costs far more than the scan's own work.
        MdbImage header;
        std::copy(block.begin(), block.end(), header.bytes.begin());
        findings.headers.emplace_back(sector, header);
    }
}

// One request of the scan; a request that fails is read again sector by
// sector, and what still fails is skipped.
void scan_request(TransferContext& ctx, std::uint32_t first, std::uint16_t count, std::vector<std::uint8_t>& buffer,
                  ScanFindings& findings, RescueResult& result) {
    ctx.host.busy_tick();
    if (read_sectors(ctx, first, count, buffer.data())) {
        for (std::uint16_t i = 0; i < count; ++i) examine(findings, first + i, buffer.data() + i * kBlockBytes);
        return;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        ctx.host.busy_tick();
        if (read_sectors(ctx, first + i, 1, buffer.data())) {
            examine(findings, first + i, buffer.data());
        } else {
            ++result.unreadable;
        }
    }
}

ScanFindings scan_medium(TransferContext& ctx, RescueProgress& progress, RescueResult& result) {
    ScanFindings findings;
    const std::uint32_t total = medium_sectors(ctx);
    const std::uint16_t perRequest = ctx.device.sectorsPerTransfer;
    std::vector<std::uint8_t> buffer(std::size_t{perRequest} * kBlockBytes);
    for (std::uint32_t sector = 0; sector < total; sector += perRequest) {
        if (ctx.host.escape_requested()) {
            result.stopped = true;
            break;
        }
        const auto count = static_cast<std::uint16_t>(std::min<std::uint32_t>(perRequest, total - sector));
        scan_request(ctx, sector, count, buffer, findings, result);
        progress.sector = sector + count - 1;
        if (progress.changed) progress.changed(progress);
    }
    return findings;
}

// The open volume's header and geometry stand aside while the rescue reads
// with those of the volume it found, and come back afterwards.
class BorrowedGeometry {
public:
    BorrowedGeometry(TransferContext& ctx, const RescueGeometry& found)
        : ctx_(ctx), header_(ctx.mdb), geometry_(ctx.geometry) {
        ctx.mdb = found.header;
        ctx.geometry = found.geometry;
    }
    ~BorrowedGeometry() {
        ctx_.mdb = header_;
        ctx_.geometry = geometry_;
    }
    BorrowedGeometry(const BorrowedGeometry&) = delete;
    BorrowedGeometry& operator=(const BorrowedGeometry&) = delete;

private:
    TransferContext& ctx_;
    MdbImage header_;
    VolumeGeometry geometry_;
};

// The data fork, or the resource fork of a file without a data fork.
bool rescue_file(TransferContext& ctx, const RescuedRecord& file, RescueProgress& progress) {
    const CopyOutput output = make_dos_name(ctx, file.mac_name, file.record);
    if (!output.opened()) return false;
    progress.pcFile = output.pc_name;
    const bool data = file.data_length() > 0 || file.resource_length() == 0;
    // Passing the extents file's own ID keeps the copy to the three extents
    // of the record: the extents tree of a damaged volume is not trusted.
    copy_fork_to_file(ctx, data ? file.data_extents() : file.resource_extents(), output.fd, kExtentsFileID,
                      data ? file.data_length() : file.resource_length(), data ? kDataFork : kResourceFork);
    set_pc_file_date(output.fd, file.modified());
    close(output.fd);
    return true;
}

void rescue_files(TransferContext& ctx, const ScanFindings& findings, RescueProgress& progress, RescueResult& result) {
    const std::map<std::uint32_t, NodeBuffer> in_order(findings.leaves.begin(), findings.leaves.end());
    for (const auto& [sector, node] : in_order) {
        for (const RescuedRecord& file : leaf_file_records(node)) {
            if (ctx.host.escape_requested()) {
                result.stopped = true;
                return;
            }
            progress.file = shown_mac_name(file.mac_name);
            if (rescue_file(ctx, file, progress)) progress.files = ++result.files;
            if (progress.changed) progress.changed(progress);
        }
    }
}

}  // namespace

RescueResult rescue_scan(TransferContext& ctx, RescueProgress& progress) {
    RescueResult result;
    if (ctx.state.target_id == kNoDrive || !ctx.transport) return result;
    const std::uint16_t routineSize = ctx.device.sectorSize;
    if (const auto blockLength = drive_block_length(ctx)) install_transfer_routine(ctx, *blockLength);
    const ScanFindings findings = scan_medium(ctx, progress, result);
    result.leaves = static_cast<std::uint32_t>(findings.leaves.size());
    std::optional<RescueGeometry> found;
    if (volume_is_open(ctx)) {
        found = RescueGeometry{ctx.mdb, ctx.geometry};
    } else {
        found = infer_geometry(findings);
    }
    if (!found) {
        result.noGeometry = result.leaves > 0;
    } else if (!result.stopped) {
        BorrowedGeometry borrowed(ctx, *found);
        rescue_files(ctx, findings, progress, result);
    }
    install_transfer_routine(ctx, routineSize);
    report_rescue(ctx, result);
    return result;
}

}  // namespace korvane
