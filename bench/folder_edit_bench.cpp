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

bool open_volume(HfsContext& ctx, const std::string& image) {
    auto bus = std::make_unique<ImageBus>();
    if (!bus->attach_image(0, image).empty()) return false;
    ctx.transport = std::move(bus);
    ctx.state.host_adapter = 0;
    ctx.state.target_id = 0;
    install_transfer_routine(ctx, 512);
    DeviceRequest request;
    request.sector = 2;
    request.count = 1;
    request.buffer = ctx.mdb.bytes.data();
    if (transfer(ctx, request) != 0 || !derive_geometry(ctx.mdb, 0, ctx.geometry)) return false;
    return open_catalog_tree(ctx) == CatalogOpen::Complete;
}

bool add_root_valence(HfsContext& ctx, int n) {
    TreeFile& tree = ctx.catalogTree;
    const std::vector<std::uint8_t> key = catalog_key(kRootParentID, std::string(ctx.mdb.volume_name()));
    if (!find_record(tree, key)) return false;
    const auto record = node_record(tree.node, tree.recordIndex);
    std::vector<std::uint8_t> data(record.begin() + static_cast<std::ptrdiff_t>(record_data_offset(record[0])),
                                   record.end());
    store_be16(data.data() + dirrec::valence, static_cast<std::uint16_t>(load_be16(data.data() + dirrec::valence) + n));
    return replace_record_data(ctx, tree, key, data) == EditResult::Done;
}

void add_leaf_records(HfsContext& ctx, int n) {
    std::uint8_t* field = ctx.catalogTree.header.data() + header::leafRecords;
    store_be32(field, load_be32(field) + n);
}

bool make_folder(HfsContext& ctx, const std::string& name, std::uint32_t id) {
    std::vector<std::uint8_t> record(kDirectoryRecordSize, 0);
    record[0] = kDirectoryRecord;
    store_be32(record.data() + dirrec::dir_id, id);
    std::vector<std::uint8_t> thread(kThreadRecordSize, 0);
    thread[0] = kDirectoryThreadRecord;
    store_be32(thread.data() + thdrec::parentID, kRootDirectoryID);
    thread[thdrec::name] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), thread.begin() + thdrec::name + 1);
    if (insert_leaf_record(ctx, catalog_key(kRootDirectoryID, name), record) != EditResult::Done) return false;
    if (append_thread_record(ctx, catalog_key(id, ""), thread) != EditResult::Done) return false;
    increment_be32(ctx.mdb.field(mdb::drNxtCNID));
    increment_be32(ctx.mdb.field(mdb::drDirCnt));
    increment_be16(ctx.mdb.field(mdb::drNmRtDirs));
    add_leaf_records(ctx, 2);
    return add_root_valence(ctx, 1) && write_back(ctx);
}

bool remove_folder(HfsContext& ctx, const std::string& name, std::uint32_t id) {
    if (delete_record(ctx, catalog_key(kRootDirectoryID, name)) != EditResult::Done) return false;
    if (delete_record(ctx, catalog_key(id, "")) != EditResult::Done) return false;
    decrement_be32(ctx.mdb.field(mdb::drDirCnt));
    decrement_be16(ctx.mdb.field(mdb::drNmRtDirs));
    add_leaf_records(ctx, -2);
    return add_root_valence(ctx, -1) && write_back(ctx);
}

double seconds_since(std::chrono::steady_clock::time_point start) {
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
    if (!open_volume(ctx, argv[1])) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    std::vector<std::uint32_t> ids;
    const auto makeStart = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        ids.push_back(ctx.mdb.next_catalog_id());
        if (!make_folder(ctx, "Folder " + std::to_string(i), ids.back())) return 1;
    }
    const double made = seconds_since(makeStart);
    const auto removeStart = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        if (!remove_folder(ctx, "Folder " + std::to_string(i), ids[i])) return 1;
    const double removed = seconds_since(removeStart);
    std::printf("%.3f %.3f\n", made, removed);
    return 0;
}
