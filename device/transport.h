#pragma once
// The SCSI transport: the operations Korvane sends to a drive. Backends (the
// image bus, Linux SG_IO) implement it; everything above talks only to this.

#include <cstdint>

namespace korvane {

class Transport {
public:
    virtual ~Transport() = default;
};

}  // namespace korvane
