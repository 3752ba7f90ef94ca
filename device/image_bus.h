#pragma once
// The image bus: a virtual SCSI bus whose targets are image files and block
// devices, and SCSI generic devices (/dev/sg*) named the same way, which take
// the commands as they are. Adapter 0 always exists, so Korvane starts even
// with no image.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "device/image_target.h"
#include "device/transport.h"

namespace korvane {

inline constexpr std::uint8_t kAdapterOwnId = 7;

class ImageBus : public Transport {
public:
    ImageBus();

    // A new adapter with no targets; returns its number.
    std::uint8_t add_adapter(std::string managerName);
    // Adds an adapter whose targets are the files of dir named by the
    // convention; problems (files that cannot be opened, ids taken) are appended.
    std::uint8_t add_directory(const std::string& dir, std::vector<std::string>& problems);
    // Attaches the convention-named files of dir to an existing adapter.
    void fill_from_directory(std::uint8_t adapter, const std::string& dir, std::vector<std::string>& problems);
    // Attaches "PATH[,options]" at the id its name or id= gives, else at the
    // next free one. Returns an empty string or the reason for refusing it.
    std::string attach_image(std::uint8_t adapter, const std::string& image) override;
    std::string attach(std::uint8_t adapter, const ImageDescription& description);
    std::string medium_path(std::uint8_t adapter, std::uint8_t id) override;

    std::size_t adapter_count() const { return adapters_.size(); }
    // The target at (adapter, id), or null.
    BusTarget* bus_target(std::uint8_t adapter, std::uint8_t id);
    // The same when it is an image file or block device.
    ImageTarget* target(std::uint8_t adapter, std::uint8_t id);

    // How many bus device resets each target received (tests read it).
    unsigned resets(std::uint8_t adapter, std::uint8_t id) const;

protected:
    SupportInfo query_support() override;
    void send(RequestBlock& block) override;

private:
    struct Adapter {
        std::string managerName;
        std::array<std::unique_ptr<BusTarget>, kMaxTargets> targets;
        std::array<unsigned, kMaxTargets> resets{};
    };

    std::vector<Adapter> adapters_;
};

}  // namespace korvane
