#pragma once
// The open volume as the write engine sees it: the sectors it may occupy and
// the device that reaches them, the volume bitmap while a modification runs,
// and the state of the medium as last read or written (the header and both
// tree files), against which the write-back finds what changed and to which
// a failed modification returns.
//
// A modifying command calls start_modification, changes the working copies,
// the header image and the bitmap through the engine, then write_back
// (hfs/write_back.h). When a step cannot complete, the engine reports it,
// calls discard_changes and the command stops: the medium is untouched and the
// working copies are as the medium holds them.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "hfs/mdb_image.h"

namespace korvane {

struct HfsContext;
struct TreeFile;
class JournaledSectors;

// 512-byte sectors of the medium, with the retries of the sector layer.
class SectorDevice {
public:
    virtual ~SectorDevice() = default;
    virtual bool read(std::uint32_t sector, std::uint16_t count, std::uint8_t* buffer) = 0;
    virtual bool write(std::uint32_t sector, std::uint16_t count, const std::uint8_t* buffer) = 0;
};

// The sectors that belong to the volume: its partition, or the whole medium
// for a volume without a partition map.
struct SectorRange {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    bool contains(std::uint32_t sector, std::uint32_t n) const {
        return sector >= first && n <= count && sector - first <= count - n;
    }
};

// The contents of a tree file as the medium holds them.
struct MediumTree {
    bool known = false;
    std::vector<std::uint8_t> bytes;
};

struct Volume {
    std::unique_ptr<SectorDevice> device;  // made on first use for the selected drive
    SectorRange range;                     // valid once device is set
    JournaledSectors* journal = nullptr;   // the device itself when changes go through an undo journal

    // The volume bitmap, one bit per allocation block, while loaded.
    std::vector<std::uint8_t> bitmap;
    bool bitmapLoaded = false;
    bool bitmapChanged = false;

    // What the medium holds, known from the start of a modification.
    bool modifying = false;
    std::optional<MdbImage> mediumHeader;
    MediumTree mediumCatalog;
    MediumTree mediumExtents;
};

// The selected drive's sectors of range, behind the medium's undo journal
// when it has one (journal then points to it, else it is null).
std::unique_ptr<SectorDevice> make_drive_device(HfsContext& ctx, SectorRange range, JournaledSectors*& journal);

// The device of the open volume, made for the selected drive when needed.
SectorDevice& volume_device(HfsContext& ctx);
const SectorRange& volume_range(HfsContext& ctx);

// A change that began before the volume existed (a format writes the volume
// itself) goes on through the journaled device it began on, so that one
// undo record holds all of it: the volume's writes go to device until
// give_back_volume_device, which the owner of device calls before it goes.
void borrow_volume_device(HfsContext& ctx, JournaledSectors& device);
void give_back_volume_device(HfsContext& ctx);

// False for a volume marked read-only, and for one whose header, allocation
// blocks and alternate header do not all lie inside its partition.
bool volume_writable(HfsContext& ctx);

// Forgets everything about the previous volume (a new one is being opened).
void forget_volume(HfsContext& ctx);

// The guard of every change: refuses, with a notice, a read-only volume, a
// volume larger than its partition, and a catalog or bitmap that could not be
// read completely; loads the bitmap and records what the medium holds. True
// when changes may go on. Calling it again within a modification is free.
bool start_modification(HfsContext& ctx);

// Records the extents tree's medium contents before its first change (it is
// copied from the medium lazily, and a change that does not touch it does
// not depend on it). False, reported, when it was not read whole.
bool start_extents_modification(HfsContext& ctx);

// Returns the header image, the bitmap and both working copies to what the
// medium holds and ends the modification. What the modification already
// wrote (the forks of copied files) is put back from the undo journal.
void discard_changes(HfsContext& ctx);

// Reports a change that cannot complete (the text says why; a refusal of
// the undo journal says it instead), drops every change of the command and
// marks the run as failed. Always false, so that
// callers can `return refuse_change(...)`.
bool refuse_change(HfsContext& ctx, const char* text);

// The whole working file of a tree, or nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> read_working_file(const TreeFile& tree);

}  // namespace korvane
