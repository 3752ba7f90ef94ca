#include "device/bus_scan.h"

#include <array>

namespace korvane {
namespace {

constexpr int kInquiryAttempts = 5;
// Adapter numbers are bytes; 0xFF marks "none", so scanning stops before it.
constexpr unsigned kAdapterLimit = 0xFF;

std::string inquiry_text(const std::array<std::uint8_t, 150>& data, std::size_t offset, std::size_t width) {
    std::string text(reinterpret_cast<const char*>(data.data()) + offset, width);
    std::size_t end = text.find('\0');
    return end == std::string::npos ? text : text.substr(0, end);
}

DeviceListEntry drive_entry(Transport& transport, std::uint8_t adapter, std::uint8_t target, std::uint8_t type) {
    std::array<std::uint8_t, 150> data{};
    for (int attempt = 0; attempt < kInquiryAttempts; ++attempt)
        if (transport.inquiry(adapter, target, data.data()) == kStatusDone) break;
    DeviceListEntry entry;
    entry.adapter = adapter;
    entry.kind = type;
    entry.target = target;
    entry.vendor = inquiry_text(data, 8, 8);
    entry.product = inquiry_text(data, 16, 16);
    entry.revision = inquiry_text(data, 32, 4);
    return entry;
}

std::string without_trailing_blanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

std::string scan_line(const DeviceListEntry& entry) {
    return std::to_string(entry.adapter) + '\t' + std::to_string(entry.kind) + '\t' + std::to_string(entry.target) +
           '\t' + without_trailing_blanks(entry.vendor) + '\t' + without_trailing_blanks(entry.product) + '\t' +
           without_trailing_blanks(entry.revision);
}

bool is_usable_drive_type(std::uint16_t type) { return type == kTypeDirectAccess || type == kTypeOpticalMemory; }

BusScan scan_bus(Transport& transport) {
    BusScan scan;
    for (unsigned adapter = 0; adapter < kAdapterLimit; ++adapter) {
        AdapterInquiry info = transport.host_adapter_inquiry(static_cast<std::uint8_t>(adapter));
        if (info.adapter_count == 0) break;
        std::size_t header = scan.entries.size();
        DeviceListEntry headerEntry;
        headerEntry.adapter = static_cast<std::uint8_t>(adapter);
        headerEntry.kind = 0xFF;
        headerEntry.product = info.managerId;
        scan.entries.push_back(headerEntry);
        std::uint8_t drives = 0;
        for (std::uint8_t target = 0; target < kMaxTargets; ++target) {
            std::uint16_t type = transport.device_type(static_cast<std::uint8_t>(adapter), target);
            if (!is_usable_drive_type(type)) continue;
            scan.entries.push_back(drive_entry(transport, static_cast<std::uint8_t>(adapter), target,
                                               static_cast<std::uint8_t>(type)));
            ++drives;
        }
        scan.entries[header].kind = static_cast<std::uint8_t>(1 + drives);
        scan.drive_count = static_cast<std::uint16_t>(scan.drive_count + drives);
        ++scan.adapter_count;
    }
    return scan;
}

}  // namespace korvane
