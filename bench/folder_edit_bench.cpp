// How fast the write engine makes and removes folders on a volume: each
// folder is a directory record and its thread, inserted (then deleted) with
// the parent's valence and the header's counts updated, and a write-back
// after every change, as the folder commands do. Prints the times; it
// asserts nothing. bench/folder_edit_bench.sh runs it next to hfsutils.
//   usage: folder_edit_bench IMAGE [COUNT]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/quiet_host.h"
#include "device/image_bus.h"
#include "device/sector_io.h"
#include "hfs/catalog_records.h"
#include "hfs/hfs_context.h"
#include "hfs/leaf_insert.h"
#include "hfs/node_edit.h"
#include "hfs/tree_keys.h"
#include "hfs/working_copies.h"
#include "hfs/write_back.h"
#include "util/byte_order.h"

namespace {

using namespace korvane;

bool openVolume(HfsContext& ctx, const std::string& image) {
    auto bus = std::make_unique<ImageBus>();
    if (!bus->attachImage(0, image).empty()) return false;
    ctx.transport = std::move(bus);
    ctx.state.host_adapter = 0;
    ctx.state.target_id = 0;
    installTransferRoutine(ctx, 512);
    DeviceRequest request;
    request.sector = 2;
    request.count = 1;
    request.buffer = ctx.mdb.bytes.data();
    if (transfer(ctx, request) != 0 || !deriveGeometry(ctx.mdb, 0, ctx.geometry)) return false;
    return openCatalogTree(ctx) == CatalogOpen::Complete;
}

bool addRootValence(HfsContext& ctx, int n) {
    TreeFile& tree = ctx.catalogTree;
    const std::vector<std::uint8_t> key = catalogKey(kRootParentID, std::string(ctx.mdb.volumeName()));
    if (!findRecord(tree, key)) return false;
    const auto record = nodeRecord(tree.node, tree.recordIndex);
    std::vector<std::uint8_t> data(record.begin() + static_cast<std::ptrdiff_t>(recordDataOffset(record[0])), record.end());
    storeBE16(data.data() + dirrec::valence, static_cast<std::uint16_t>(loadBE16(data.data() + dirrec::valence) + n));
    return replaceRecordData(ctx, tree, key, data) == EditResult::Done;
}

void addLeafRecords(HfsContext& ctx, int n) {
    std::uint8_t* field = ctx.catalogTree.header.data() + header::leafRecords;
    storeBE32(field, loadBE32(field) + n);
}

bool makeFolder(HfsContext& ctx, const std::string& name, std::uint32_t id) {
    std::vector<std::uint8_t> record(kDirectoryRecordSize, 0);
    record[0] = kDirectoryRecord;
    storeBE32(record.data() + dirrec::dirID, id);
    std::vector<std::uint8_t> thread(kThreadRecordSize, 0);
    thread[0] = kDirectoryThreadRecord;
    storeBE32(thread.data() + thdrec::parentID, kRootDirectoryID);
    thread[thdrec::name] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), thread.begin() + thdrec::name + 1);
    if (insertLeafRecord(ctx, catalogKey(kRootDirectoryID, name), record) != EditResult::Done) return false;
    if (appendThreadRecord(ctx, catalogKey(id, ""), thread) != EditResult::Done) return false;
    incrementBE32(ctx.mdb.field(mdb::drNxtCNID));
    incrementBE32(ctx.mdb.field(mdb::drDirCnt));
    incrementBE16(ctx.mdb.field(mdb::drNmRtDirs));
    addLeafRecords(ctx, 2);
    return addRootValence(ctx, 1) && writeBack(ctx);
}

bool removeFolder(HfsContext& ctx, const std::string& name, std::uint32_t id) {
    if (deleteRecord(ctx, catalogKey(kRootDirectoryID, name)) != EditResult::Done) return false;
    if (deleteRecord(ctx, catalogKey(id, "")) != EditResult::Done) return false;
    decrementBE32(ctx.mdb.field(mdb::drDirCnt));
    decrementBE16(ctx.mdb.field(mdb::drNmRtDirs));
    addLeafRecords(ctx, -2);
    return addRootValence(ctx, -1) && writeBack(ctx);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: folder_edit_bench IMAGE [COUNT]\n");
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 1000;
    QuietHost host;
    HfsContext ctx(host);
    if (!openVolume(ctx, argv[1])) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<std::uint32_t> ids;
    const auto makeStart = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        ids.push_back(ctx.mdb.nextCatalogID());
        if (!makeFolder(ctx, "Folder " + std::to_string(i), ids.back())) return 1;
    }
    const double made = secondsSince(makeStart);
    const auto removeStart = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        if (!removeFolder(ctx, "Folder " + std::to_string(i), ids[i])) return 1;
    const double removed = secondsSince(removeStart);
    std::printf("%.3f %.3f\n", made, removed);
    return 0;
}
