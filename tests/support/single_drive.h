#pragma once
// The commonest test set-up: an image bus whose adapter 0 holds one image,
// selected as the drive at target 0.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "device/device_context.h"
#include "device/image_bus.h"

namespace korvane::testing {

inline ImageBus* select_single_image(DeviceContext& ctx, const std::string& image) {
    auto bus = std::make_unique<ImageBus>();
    ImageBus* attached = bus.get();
    EXPECT_EQ(bus->attach_image(0, image), "") << image;
    ctx.transport = std::move(bus);
    ctx.state.host_adapter = 0;
    ctx.state.target_id = 0;
    return attached;
}

}  // namespace korvane::testing
