#include "transfer/output_port.h"

#include <cctype>

#include "core/app_state.h"

namespace korvane {
namespace {

constexpr std::array<std::string_view, kPortCount> kPortNames = {"FILE", "LPT1", "LPT2", "LPT3",
                                                                 "COM1", "COM2", "COM3", "COM4"};

}  // namespace

std::string_view port_name(int port) {
    return port >= 0 && port < kPortCount ? kPortNames[static_cast<std::size_t>(port)] : std::string_view{};
}

std::optional<int> port_from_name(std::string_view name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int port = 0; port < kPortCount; ++port)
        if (kPortNames[static_cast<std::size_t>(port)] == upper) return port;
    return std::nullopt;
}

PortDevices default_port_devices() {
    return {"", "/dev/lp0", "/dev/lp1", "/dev/lp2", "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3"};
}

int output_port(std::uint32_t output_options) { return static_cast<int>((output_options & kPortMask) >> kPortShift); }

std::uint32_t with_output_port(std::uint32_t output_options, int port) {
    return (output_options & ~kPortMask) | ((static_cast<std::uint32_t>(port) << kPortShift) & kPortMask);
}

int naming_mode(std::uint32_t output_options) { return static_cast<int>(output_options & kNamingMask); }

std::uint32_t with_naming_mode(std::uint32_t output_options, int mode) {
    return (output_options & ~kNamingMask) | (static_cast<std::uint32_t>(mode) & kNamingMask);
}

}  // namespace korvane
