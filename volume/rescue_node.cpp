#include "volume/rescue_node.h"

#include <optional>

#include "hfs/btree_node.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr std::uint8_t kLeafKind = 0xFF;
constexpr std::uint8_t kHeaderKind = 0x01;

std::uint16_t record_count(std::span<const std::uint8_t> block) { return load_be16(block, 10); }

// Offset of record k as stored at the end of the node.
std::uint16_t offset_of(std::span<const std::uint8_t> block, std::uint16_t k) {
    return load_be16(block, kNodeSize - 2 * (std::size_t{k} + 1));
}

std::size_t record_size_of(std::uint8_t kind) {
    switch (kind) {
        case kDirectoryRecord:
            return kDirectoryRecordSize;
        case kFileRecord:
            return kFileRecordSize;
        case kDirectoryThreadRecord:
        case kFileThreadRecord:
            return kThreadRecordSize;
        default:
            return 0;
    }
}

// The key and record kind of a record, when it has the shape of one.
struct RecordShape {
    CatalogKey key;
    std::span<const std::uint8_t> data;
};

std::optional<RecordShape> record_shape(std::span<const std::uint8_t> record) {
    const auto key = parse_catalog_key(record);
    if (!key) return std::nullopt;
    const auto data = catalog_record_data(record, *key);
    if (data.empty()) return std::nullopt;
    const std::size_t size = record_size_of(data[0]);
    if (size == 0 || data.size() < size) return std::nullopt;
    // Folders and files have names; only threads are keyed by an empty one.
    const bool thread = data[0] == kDirectoryThreadRecord || data[0] == kFileThreadRecord;
    if (!thread && key->name.empty()) return std::nullopt;
    return RecordShape{*key, data.first(size)};
}

bool has_leaf_descriptor(std::span<const std::uint8_t> block) {
    if (block.size() != kNodeSize) return false;
    const std::uint16_t count = record_count(block);
    return block[8] == kLeafKind && block[9] == 1 && count != 0 && count <= kMaxRescueLeafRecords &&
           offset_of(block, 0) == kNodeDescriptorSize;
}

// Each record lies between its own offset and the next one's.
std::vector<RecordShape> record_shapes(std::span<const std::uint8_t> block) {
    if (!has_leaf_descriptor(block)) return {};
    const std::uint16_t count = record_count(block);
    const std::size_t table_start = kNodeSize - 2 * (std::size_t{count} + 1);
    std::vector<RecordShape> shapes;
    for (std::uint16_t k = 0; k < count; ++k) {
        const std::size_t start = offset_of(block, k);
        const std::size_t end = offset_of(block, static_cast<std::uint16_t>(k + 1));
        if (start < kNodeDescriptorSize || end <= start || end > table_start || start % 2 != 0) return {};
        const auto shape = record_shape(block.subspan(start, end - start));
        if (!shape) return {};
        shapes.push_back(*shape);
    }
    return shapes;
}

}  // namespace

std::uint32_t RescuedRecord::data_length() const { return load_be32(record, filrec::dataLogicalLength); }
std::uint32_t RescuedRecord::resource_length() const { return load_be32(record, filrec::resourceLogicalLength); }
std::uint32_t RescuedRecord::modified() const { return load_be32(record, filrec::modified); }
ExtentRecordBytes RescuedRecord::data_extents() const {
    return ExtentRecordBytes(record.data() + filrec::data_extents, kExtentRecordSize);
}
ExtentRecordBytes RescuedRecord::resource_extents() const {
    return ExtentRecordBytes(record.data() + filrec::resource_extents, kExtentRecordSize);
}

bool is_catalog_leaf(std::span<const std::uint8_t> block) { return !record_shapes(block).empty(); }

std::vector<RescuedRecord> leaf_file_records(std::span<const std::uint8_t> block) {
    std::vector<RescuedRecord> files;
    for (const RecordShape& shape : record_shapes(block)) {
        if (shape.data[0] != kFileRecord) continue;
        files.push_back({shape.key.parentID, std::string(shape.key.name), {shape.data.begin(), shape.data.end()}});
    }
    return files;
}

bool is_tree_header_node(std::span<const std::uint8_t> block) {
    return block.size() == kNodeSize && block[8] == kHeaderKind && block[9] == 0 && record_count(block) == 3 &&
           load_be16(block, header::nodeSize) == kNodeSize && offset_of(block, 0) == kNodeDescriptorSize;
}

}  // namespace korvane
