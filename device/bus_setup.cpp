#include "device/bus_setup.h"

namespace korvane {

BusSetup makeImageBus(const std::vector<std::string>& images, const std::vector<std::string>& busDirs) {
    BusSetup setup;
    setup.bus = std::make_unique<ImageBus>();
    std::vector<ImageDescription> withId;
    std::vector<ImageDescription> withoutId;
    for (const std::string& text : images) {
        ImageDescription spec;
        std::string problem = parseImageDescription(text, spec);
        if (!problem.empty()) {
            setup.problems.push_back(text + ": " + problem);
            continue;
        }
        (spec.id ? withId : withoutId).push_back(spec);
    }
    // Images that name their id are placed first, so that an image without one
    // cannot take the id another image asks for.
    for (const auto* group : {&withId, &withoutId}) {
        for (const ImageDescription& spec : *group) {
            std::string problem = setup.bus->attach(0, spec);
            if (!problem.empty()) setup.problems.push_back(spec.path + ": " + problem);
        }
    }
    for (std::size_t i = 0; i < busDirs.size(); ++i) {
        if (i == 0 && images.empty()) {
            setup.bus->fillFromDirectory(0, busDirs[i], setup.problems);
        } else {
            setup.bus->addDirectory(busDirs[i], setup.problems);
        }
    }
    return setup;
}

}  // namespace korvane
