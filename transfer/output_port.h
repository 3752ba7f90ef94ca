#pragma once
// The output ports of the "Output Ports" dialog: a PC file, the parallel
// ports LPT1-LPT3 and the serial ports COM1-COM4, kept in bits 8-10 of
// output_options. On Linux the ports are /dev/lp0-2 and /dev/ttyS0-3.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

inline constexpr int kPortFile = 0;
inline constexpr int kPortCount = 8;  // FILE, LPT1-LPT3, COM1-COM4

// "FILE", "LPT1" ... "COM4" for ports 0-7.
std::string_view port_name(int port);
// The port number of a name given on the command line (either case).
std::optional<int> port_from_name(std::string_view name);

// The device each port writes to; tests may point them elsewhere.
using PortDevices = std::array<std::string, kPortCount>;
PortDevices default_port_devices();

int output_port(std::uint32_t output_options);
std::uint32_t with_output_port(std::uint32_t output_options, int port);
int naming_mode(std::uint32_t output_options);
std::uint32_t with_naming_mode(std::uint32_t output_options, int mode);

}  // namespace korvane
