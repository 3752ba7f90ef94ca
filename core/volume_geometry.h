#pragma once
// Where the open volume's allocation blocks lie on the medium. Filled by
// volume discovery; read by sector I/O, the HFS engine and the copies.

#include <cstdint>
#include <string>

namespace korvane {

struct VolumeGeometry {
    std::uint32_t mdbSector = 0;         // absolute 512-byte sector of the volume header
    std::uint32_t firstAllocSector = 0;  // absolute 512-byte sector of allocation block 0
    std::uint32_t allocBlockSize = 0;    // bytes
    std::uint32_t sectorsPerBlock = 0;   // allocBlockSize / 512
    std::uint16_t bitmapSectors = 0;     // sectors reserved for the volume bitmap
    // The sectors the volume may occupy: its partition from the map, or the
    // whole medium for a volume without one. Nothing outside them belongs to
    // the volume; writes must never reach there. 0 sectors: not known yet.
    std::uint32_t partitionStart = 0;
    std::uint32_t partitionSectors = 0;
    // A volume that may be read but must not be written (its header claims
    // more room than its partition holds), and why, for the refusal.
    bool readOnlyVolume = false;
    std::string readOnlyReason;
};

}  // namespace korvane
