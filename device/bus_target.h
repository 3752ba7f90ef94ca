#pragma once
// What the image bus needs of one target: carry out a command block, take a
// bus device reset, and tell its peripheral type and where its medium is.

#include <cstdint>
#include <string>

#include "device/transport.h"

namespace korvane {

class BusTarget {
public:
    virtual ~BusTarget() = default;
    // kStatusDone or kStatusError.
    virtual std::uint8_t execute(const RequestBlock& block) = 0;
    virtual void reset() = 0;
    virtual std::uint8_t device_type() const = 0;
    // The image file or device that holds the medium.
    virtual std::string path() const = 0;
};

}  // namespace korvane
