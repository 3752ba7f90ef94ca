#pragma once
// Copies a fork from the medium into a PC file through its extent records:
// the three in the catalog (or volume header), then the extents-overflow tree.

#include <cstdint>
#include <span>

#include "hfs/catalog_records.h"
#include "hfs/hfs_context.h"

namespace korvane {

struct ForkCopyResult {
    std::uint32_t copied = 0;             // bytes written to the PC file
    bool complete = false;                // copied equals the byte count asked for
    bool extentsMissing = false;          // an extents-overflow record was not found
    bool extentOutsideVolume = false;     // an extent pointed beyond the volume
    bool pcWriteFailed = false;           // the PC file could not be written; the copy stopped there
    int pcWriteError = 0;                 // errno of that write (ENOSPC: the PC file system is full)
    bool stopped = false;                 // Esc was pressed and the abort confirmed
    std::uint32_t unreadableSectors = 0;  // written as zeros
};

enum class EscapePolling { Off, BetweenPieces };

// Copies byteCount bytes of the fork (fileID, forkType 0x00 data / 0xFF
// resource) whose first extent record is firstRecord into the open PC file fd,
// in logical order. When the extents run out before byteCount bytes (a
// missing overflow record, an extent beyond the volume), the copy stops
// there: nothing further is written and the result says how much was copied.
// The runs are moved in pieces of about one transfer each, with a progress bar
// over the whole fork; with EscapePolling::BetweenPieces the user may stop a
// long fork between two pieces (never before the first).
ForkCopyResult copy_fork_to_file(HfsContext& ctx, ExtentRecordBytes firstRecord, int fd, std::uint32_t fileID,
                                 std::uint32_t byteCount, std::uint8_t forkType,
                                 EscapePolling escape = EscapePolling::Off);

// Whether an extent lies within the volume's allocation blocks and its
// partition: reads through an extent outside it are never sent.
bool extent_inside_volume(const HfsContext& ctx, const ExtentDescriptor& extent);

// Finds the extents-overflow record of (fileID, forkType) whose fork starts
// at logical block startBlock, descending through the tree's index.
// Returns the 12-byte extent record inside ctx.extentsTree.node (valid until
// the next read of that tree), or nothing. Opens the extents copy if needed.
const std::uint8_t* find_extent_record(HfsContext& ctx, std::uint32_t fileID, std::uint16_t startBlock,
                                       std::uint8_t forkType);

}  // namespace korvane
