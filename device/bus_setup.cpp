#include "device/bus_setup.h"

namespace korvane {

BusSetup make_image_bus(const std::vector<std::string>& images, const std::vector<std::string>& busDirs) {
    BusSetup setup;
    setup.bus = std::make_unique<ImageBus>();
    std::vector<ImageDescription> withId;
    std::vector<ImageDescription> withoutId;
    for (const std::string& text : images) {
        ImageDescription description;
        std::string problem = parse_image_description(text, description);
        if (!problem.empty()) {
            setup.problems.push_back(text + ": " + problem);
            continue;
        }
        (description.id ? withId : withoutId).push_back(description);
    }
    // Images that name their id are placed first, so that an image without one
    // cannot take the id another image asks for.
    for (const auto* group : {&withId, &withoutId}) {
        for (const ImageDescription& description : *group) {
            std::string problem = setup.bus->attach(0, description);
            if (!problem.empty()) setup.problems.push_back(description.path + ": " + problem);
        }
    }
    for (std::size_t i = 0; i < busDirs.size(); ++i) {
        if (i == 0 && images.empty()) {
            setup.bus->fill_from_directory(0, busDirs[i], setup.problems);
        } else {
            setup.bus->add_directory(busDirs[i], setup.problems);
        }
    }
    return setup;
}

}  // namespace korvane
