#include "volume/rescue_node.h"

#include <optional>

#include "hfs/btree_node.h"
#include "util/byte_order.h"

namespace korvane {
namespace {

constexpr std::uint8_t kLeafKind = 0xFF;
constexpr std::uint8_t kHeaderKind = 0x01;

std::uint16_t recordCount(std::span<const std::uint8_t> block) { return loadBE16(block, 10); }

// Offset of record k as stored at the end of the node.
std::uint16_t offsetOf(std::span<const std::uint8_t> block, std::uint16_t k) {
    return loadBE16(block, kNodeSize - 2 * (std::size_t{k} + 1));
}

std::size_t recordSizeOf(std::uint8_t kind) {
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

std::optional<RecordShape> recordShape(std::span<const std::uint8_t> record) {
    const auto key = parseCatalogKey(record);
    if (!key) return std::nullopt;
    const auto data = catalogRecordData(record, *key);
    if (data.empty()) return std::nullopt;
    const std::size_t size = recordSizeOf(data[0]);
    if (size == 0 || data.size() < size) return std::nullopt;
    // Folders and files have names; only threads are keyed by an empty one.
    const bool thread = data[0] == kDirectoryThreadRecord || data[0] == kFileThreadRecord;
    if (!thread && key->name.empty()) return std::nullopt;
    return RecordShape{*key, data.first(size)};
}

bool hasLeafDescriptor(std::span<const std::uint8_t> block) {
    if (block.size() != kNodeSize) return false;
    const std::uint16_t count = recordCount(block);
    return block[8] == kLeafKind && block[9] == 1 && count != 0 && count <= kMaxRescueLeafRecords &&
           offsetOf(block, 0) == kNodeDescriptorSize;
}

// Each record lies between its own offset and the next one's.
std::vector<RecordShape> recordShapes(std::span<const std::uint8_t> block) {
    if (!hasLeafDescriptor(block)) return {};
    const std::uint16_t count = recordCount(block);
    const std::size_t tableStart = kNodeSize - 2 * (std::size_t{count} + 1);
    std::vector<RecordShape> shapes;
    for (std::uint16_t k = 0; k < count; ++k) {
        const std::size_t start = offsetOf(block, k);
        const std::size_t end = offsetOf(block, static_cast<std::uint16_t>(k + 1));
        if (start < kNodeDescriptorSize || end <= start || end > tableStart || start % 2 != 0) return {};
        const auto shape = recordShape(block.subspan(start, end - start));
        if (!shape) return {};
        shapes.push_back(*shape);
    }
    return shapes;
}

}  // namespace

std::uint32_t RescuedRecord::dataLength() const { return loadBE32(record, filrec::dataLogicalLength); }
std::uint32_t RescuedRecord::resourceLength() const { return loadBE32(record, filrec::resourceLogicalLength); }
std::uint32_t RescuedRecord::modified() const { return loadBE32(record, filrec::modified); }
ExtentRecordBytes RescuedRecord::dataExtents() const {
    return ExtentRecordBytes(record.data() + filrec::dataExtents, kExtentRecordSize);
}
ExtentRecordBytes RescuedRecord::resourceExtents() const {
    return ExtentRecordBytes(record.data() + filrec::resourceExtents, kExtentRecordSize);
}

bool isCatalogLeaf(std::span<const std::uint8_t> block) { return !recordShapes(block).empty(); }

std::vector<RescuedRecord> leafFileRecords(std::span<const std::uint8_t> block) {
    std::vector<RescuedRecord> files;
    for (const RecordShape& shape : recordShapes(block)) {
        if (shape.data[0] != kFileRecord) continue;
        files.push_back({shape.key.parentID, std::string(shape.key.name), {shape.data.begin(), shape.data.end()}});
    }
    return files;
}

bool isTreeHeaderNode(std::span<const std::uint8_t> block) {
    return block.size() == kNodeSize && block[8] == kHeaderKind && block[9] == 0 && recordCount(block) == 3 &&
           loadBE16(block, header::nodeSize) == kNodeSize && offsetOf(block, 0) == kNodeDescriptorSize;
}

}  // namespace korvane
