#pragma once
// The catalog's keys and its directory, file and thread records, and the
// extents-overflow key. Parsing checks every length against the record it
// sits in, so a damaged record is reported missing rather than read past.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace korvane {

inline constexpr std::size_t kMaxNameLength = 31;
inline constexpr std::uint8_t kMinCatalogKeyLength = 6;
inline constexpr std::uint8_t kMaxCatalogKeyLength = 37;
inline constexpr std::size_t kCatalogIndexRecordSize = 42;

// Catalog node IDs with a fixed meaning.
inline constexpr std::uint32_t kRootParentID = 1;
inline constexpr std::uint32_t kRootDirectoryID = 2;
inline constexpr std::uint32_t kExtentsFileID = 3;
inline constexpr std::uint32_t kCatalogFileID = 4;

// Record kinds (first byte of the record data).
inline constexpr std::uint8_t kDirectoryRecord = 1;
inline constexpr std::uint8_t kFileRecord = 2;
inline constexpr std::uint8_t kDirectoryThreadRecord = 3;
inline constexpr std::uint8_t kFileThreadRecord = 4;

inline constexpr std::size_t kDirectoryRecordSize = 70;
inline constexpr std::size_t kFileRecordSize = 102;
inline constexpr std::size_t kThreadRecordSize = 46;

struct CatalogKey {
    std::uint8_t keyLength = 0;
    std::uint32_t parentID = 0;
    std::string_view name;  // Macintosh character set, at most 31 characters
};

// Parses the catalog key at the start of record (a leaf or index record).
// Nothing when the key length is below 6 or above 37, the name is longer
// than 31 or longer than the key, or the key does not fit in the record.
std::optional<CatalogKey> parse_catalog_key(std::span<const std::uint8_t> record);

// The data after a catalog key (may be empty when the record ends there).
std::span<const std::uint8_t> catalog_record_data(std::span<const std::uint8_t> record, const CatalogKey& key);

// The child node of an index record; nothing when the record is too short.
std::optional<std::uint32_t> index_child_node(std::span<const std::uint8_t> record, const CatalogKey& key);

// Field offsets within the record data.
namespace dirrec {
inline constexpr std::size_t flags = 2;
inline constexpr std::size_t valence = 4;
inline constexpr std::size_t dir_id = 6;
inline constexpr std::size_t created = 10;
inline constexpr std::size_t modified = 14;
inline constexpr std::size_t backedUp = 18;
inline constexpr std::size_t finderInfo = 22;
}  // namespace dirrec

namespace filrec {
inline constexpr std::size_t flags = 2;
inline constexpr std::size_t fileType = 4;
inline constexpr std::size_t creator = 8;
inline constexpr std::size_t finderFlags = 12;
inline constexpr std::size_t fileNumber = 20;
inline constexpr std::size_t dataStartBlock = 24;
inline constexpr std::size_t dataLogicalLength = 26;
inline constexpr std::size_t dataPhysicalLength = 30;
inline constexpr std::size_t resourceStartBlock = 34;
inline constexpr std::size_t resourceLogicalLength = 36;
inline constexpr std::size_t resourcePhysicalLength = 40;
inline constexpr std::size_t created = 44;
inline constexpr std::size_t modified = 48;
inline constexpr std::size_t backedUp = 52;
inline constexpr std::size_t clumpSize = 72;
inline constexpr std::size_t data_extents = 74;
inline constexpr std::size_t resource_extents = 86;
}  // namespace filrec

namespace thdrec {
inline constexpr std::size_t parentID = 10;
inline constexpr std::size_t name = 14;  // length byte, then the name
}  // namespace thdrec

// True when data is long enough to be a record of its kind.
bool is_whole_record(std::span<const std::uint8_t> data);

// The name stored in a thread record; empty when damaged.
std::string_view thread_name(std::span<const std::uint8_t> data);

// --- extents overflow ---

inline constexpr std::uint8_t kDataFork = 0x00;
inline constexpr std::uint8_t kResourceFork = 0xFF;
inline constexpr std::size_t kExtentRecordSize = 12;
inline constexpr std::size_t kExtentsKeyLength = 7;
inline constexpr std::size_t kExtentsLeafRecordSize = 20;

struct ExtentDescriptor {
    std::uint16_t startBlock = 0;
    std::uint16_t block_count = 0;
};

using ExtentRecordBytes = std::span<const std::uint8_t, kExtentRecordSize>;

ExtentDescriptor extent_descriptor(ExtentRecordBytes record, int i);  // i = 0..2

struct ExtentsKey {
    std::uint8_t forkType = 0;
    std::uint32_t fileID = 0;
    std::uint16_t startBlock = 0;
};

// Parses an extents-tree leaf record; nothing unless it holds a 7-byte key
// and a whole extent record.
std::optional<ExtentsKey> parse_extents_key(std::span<const std::uint8_t> record);

}  // namespace korvane
