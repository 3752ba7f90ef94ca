#pragma once
// Builds the transport a Korvane process starts with: the image bus with the
// images named at launch on adapter 0 and one adapter per --bus folder.

#include <memory>
#include <string>
#include <vector>

#include "device/image_bus.h"

namespace korvane {

struct BusSetup {
    std::unique_ptr<ImageBus> bus;
    std::vector<std::string> problems;  // "PATH: reason" for each image left out
};

// Images ("PATH[,options]") go to adapter 0: those whose name or id= gives a
// target id first, then the others at the next free ids. Adapter 0 exists
// even without images; when there are none, the first folder fills it.
BusSetup make_image_bus(const std::vector<std::string>& images, const std::vector<std::string>& busDirs);

}  // namespace korvane
