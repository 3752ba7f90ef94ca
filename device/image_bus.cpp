#include "device/image_bus.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "device/sg_io_target.h"

namespace korvane {
namespace {

constexpr char kManagerName[] = "Korvane ImageBus";  // 16 characters at most

void put_manager_id(RequestBlock& block, const std::string& name) {
    block.managerId.fill('\0');
    std::memcpy(block.managerId.data(), name.data(), std::min(name.size(), block.managerId.size()));
}

}  // namespace

ImageBus::ImageBus() { add_adapter(kManagerName); }

std::uint8_t ImageBus::add_adapter(std::string managerName) {
    Adapter adapter;
    adapter.managerName = std::move(managerName);
    adapters_.push_back(std::move(adapter));
    return static_cast<std::uint8_t>(adapters_.size() - 1);
}

std::uint8_t ImageBus::add_directory(const std::string& dir, std::vector<std::string>& problems) {
    std::uint8_t number = add_adapter(kManagerName);
    fill_from_directory(number, dir, problems);
    return number;
}

void ImageBus::fill_from_directory(std::uint8_t number, const std::string& dir, std::vector<std::string>& problems) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) files.push_back(entry.path());
    if (error) problems.push_back(dir + ": " + error.message());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        ImageDescription description;
        description.path = file.string();
        if (!parse_image_name(file.filename().string(), description)) continue;  // not an image of the bus
        std::string problem = attach(number, description);
        if (!problem.empty()) problems.push_back(description.path + ": " + problem);
    }
}

std::string ImageBus::attach_image(std::uint8_t adapter, const std::string& text) {
    ImageDescription description;
    std::string problem = parse_image_description(text, description);
    return problem.empty() ? attach(adapter, description) : problem;
}

std::string ImageBus::attach(std::uint8_t adapterNumber, const ImageDescription& description) {
    if (adapterNumber >= adapters_.size()) return "no such adapter";
    if (description.lun != 0) return "only LUN 0 is attached";
    Adapter& adapter = adapters_[adapterNumber];
    std::uint8_t id = 0;
    if (description.id) {
        id = *description.id;
        if (id == kAdapterOwnId) return "id 7 is the adapter's own";
        if (adapter.targets[id]) return "target " + std::to_string(id) + " is taken";
    } else {
        while (id < kMaxTargets && (id == kAdapterOwnId || adapter.targets[id])) ++id;
        if (id >= kMaxTargets) return "no free target id";
    }
    struct stat info {};
    if (::stat(description.path.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) {
        auto device = std::make_unique<SgIoTarget>();
        std::string problem = SgIoTarget::open(description.path, description.read_only, *device);
        if (!problem.empty()) return problem;
        adapter.targets[id] = std::move(device);
        return {};
    }
    auto image = std::make_unique<ImageTarget>();
    std::string problem = ImageTarget::open(description, *image);
    if (!problem.empty()) return problem;
    adapter.targets[id] = std::move(image);
    return {};
}

BusTarget* ImageBus::bus_target(std::uint8_t adapter, std::uint8_t id) {
    if (adapter >= adapters_.size() || id >= kMaxTargets) return nullptr;
    return adapters_[adapter].targets[id].get();
}

std::string ImageBus::medium_path(std::uint8_t adapter, std::uint8_t id) {
    BusTarget* found = bus_target(adapter, id);
    return found != nullptr ? found->path() : std::string();
}

ImageTarget* ImageBus::target(std::uint8_t adapter, std::uint8_t id) {
    return dynamic_cast<ImageTarget*>(bus_target(adapter, id));
}

unsigned ImageBus::resets(std::uint8_t adapter, std::uint8_t id) const {
    if (adapter >= adapters_.size() || id >= kMaxTargets) return 0;
    return adapters_[adapter].resets[id];
}

SupportInfo ImageBus::query_support() {
    return SupportInfo{kStatusDone, static_cast<std::uint8_t>(std::min<std::size_t>(adapters_.size(), 255))};
}

void ImageBus::send(RequestBlock& block) {
    if (block.adapter >= adapters_.size()) {
        // Beyond the last adapter: no adapters are reported there, which ends a scan.
        block.adapter_count = 0;
        block.status = kStatusError;
        return;
    }
    Adapter& adapter = adapters_[block.adapter];
    BusTarget* addressed = bus_target(block.adapter, block.target);
    switch (block.command) {
        case kRequestAdapterInquiry:
            block.adapter_count = static_cast<std::uint8_t>(std::min<std::size_t>(adapters_.size(), 255));
            put_manager_id(block, adapter.managerName);
            block.status = kStatusDone;
            return;
        case kRequestDeviceType:
            if (addressed == nullptr || block.lun != 0) {
                block.status = kStatusError;
                return;
            }
            block.device_type = addressed->device_type();
            block.status = kStatusDone;
            return;
        case kRequestReset:
            if (block.target < kMaxTargets) ++adapter.resets[block.target];
            if (addressed != nullptr) addressed->reset();
            block.status = addressed != nullptr ? kStatusDone : kStatusError;
            return;
        case kRequestExecute:
            block.status = addressed != nullptr && block.lun == 0 ? addressed->execute(block) : kStatusError;
            return;
        default:
            block.status = kStatusError;
    }
}

}  // namespace korvane
