#include "volume/rescue_geometry.h"

#include "hfs/catalog_records.h"

namespace korvane {
namespace {

// Sectors after the allocation blocks that a volume may hold beyond its
// alternate header and last sector: formatters leave up to 20 unused.
constexpr std::uint32_t kEndSlack = 20;

// The sector of node n of a tree file of 512-byte nodes.
std::optional<std::uint32_t> node_sector(const VolumeGeometry& g, ExtentRecordBytes extents, std::uint32_t node) {
    std::uint64_t inFork = node;
    for (int i = 0; i < 3; ++i) {
        const ExtentDescriptor extent = extent_descriptor(extents, i);
        const std::uint64_t sectors = std::uint64_t{extent.block_count} * g.sectorsPerBlock;
        if (inFork < sectors) {
            const std::uint64_t sector =
                    g.firstAllocSector + std::uint64_t{extent.startBlock} * g.sectorsPerBlock + inFork;
            if (sector > UINT32_MAX) return std::nullopt;
            return static_cast<std::uint32_t>(sector);
        }
        inFork -= sectors;
    }
    return std::nullopt;
}

// The node number of the tree file's node at sector, if it lies in the file.
std::optional<std::uint32_t> node_at(const VolumeGeometry& g, ExtentRecordBytes extents, std::uint32_t sector) {
    std::uint64_t before = 0;
    for (int i = 0; i < 3; ++i) {
        const ExtentDescriptor extent = extent_descriptor(extents, i);
        const std::uint64_t first = g.firstAllocSector + std::uint64_t{extent.startBlock} * g.sectorsPerBlock;
        const std::uint64_t sectors = std::uint64_t{extent.block_count} * g.sectorsPerBlock;
        if (sector >= first && sector - first < sectors) return static_cast<std::uint32_t>(before + sector - first);
        before += sectors;
    }
    return std::nullopt;
}

// How many of the scan's findings lie where this volume would put them.
int score(const ScanFindings& findings, const RescueGeometry& candidate) {
    const VolumeGeometry& g = candidate.geometry;
    const ExtentRecordBytes catalog = candidate.header.catalog_extents();
    int points = 0;
    for (ExtentRecordBytes tree : {candidate.header.extents_extents(), catalog}) {
        const auto header = node_sector(g, tree, 0);
        if (header && findings.treeHeaders.contains(*header)) points += 4;
    }
    for (const auto& [sector, node] : findings.leaves) {
        const std::uint32_t next = node_f_link(node);
        const auto self = node_at(g, catalog, sector);
        const auto nextSector = next != 0 && self ? node_sector(g, catalog, next) : std::nullopt;
        if (!nextSector) continue;
        const auto neighbour = findings.leaves.find(*nextSector);
        if (neighbour != findings.leaves.end() && node_b_link(neighbour->second) == *self) ++points;
    }
    return points;
}

void add_candidate(std::vector<RescueGeometry>& candidates, const MdbImage& header, std::int64_t start) {
    if (start < 0 || start > UINT32_MAX) return;
    RescueGeometry candidate{header, {}};
    if (derive_geometry(header, static_cast<std::uint32_t>(start), candidate.geometry)) candidates.push_back(candidate);
}

// The header read as the primary copy, then as the alternate of each volume
// size its fields allow.
std::vector<RescueGeometry> candidates_of(std::uint32_t sector, const MdbImage& header) {
    std::vector<RescueGeometry> candidates;
    add_candidate(candidates, header, std::int64_t{sector} - 2);
    const std::uint32_t sectorsPerBlock = header.allocation_block_size() / kSectorSize;
    const std::int64_t smallest = std::int64_t{header.first_allocation_sector()} +
                                  std::int64_t{header.allocation_blocks()} * sectorsPerBlock + 2;
    for (std::int64_t size = smallest; size <= smallest + sectorsPerBlock + kEndSlack; ++size)
        add_candidate(candidates, header, std::int64_t{sector} + 2 - size);
    return candidates;
}

}  // namespace

std::optional<RescueGeometry> infer_geometry(const ScanFindings& findings) {
    std::optional<RescueGeometry> best;
    int bestScore = -1;
    for (const auto& [sector, header] : findings.headers) {
        for (const RescueGeometry& candidate : candidates_of(sector, header)) {
            const int points = score(findings, candidate);
            if (points > bestScore) {
                best = candidate;
                bestScore = points;
            }
        }
    }
    return best;
}

}  // namespace korvane
