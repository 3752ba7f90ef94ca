#include "device/bus_scan.h"

#include <array>

namespace korvane {
namespace {

constexpr int kInquiryAttempts = 5;
// Adapter numbers are bytes; 0xFF marks "none", so scanning stops before it.
constexpr unsigned kAdapterLimit = 0xFF;

std::string inquiryText(const std::array<std::uint8_t, 150>& data, std::size_t offset, std::size_t width) {
    std::string text(reinterpret_cast<const char*>(data.data()) + offset, width);
    std::size_t end = text.find('\0');
    return end == std::string::npos ? text : text.substr(0, end);
}

DeviceListEntry driveEntry(Transport& transport, std::uint8_t adapter, std::uint8_t target, std::uint8_t type) {
    std::array<std::uint8_t, 150> data{};
    for (int attempt = 0; attempt < kInquiryAttempts; ++attempt)
        if (transport.inquiry(adapter, target, data.data()) == kStatusDone) break;
    DeviceListEntry entry;
    entry.adapter = adapter;
    entry.kind = type;
    entry.target = target;
    entry.vendor = inquiryText(data, 8, 8);
    entry.product = inquiryText(data, 16, 16);
    entry.revision = inquiryText(data, 32, 4);
    return entry;
}

std::string withoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

std::string scanLine(const DeviceListEntry& entry) {
    return std::to_string(entry.adapter) + '\t' + std::to_string(entry.kind) + '\t' + std::to_string(entry.target) +
           '\t' + withoutTrailingBlanks(entry.vendor) + '\t' + withoutTrailingBlanks(entry.product) + '\t' +
           withoutTrailingBlanks(entry.revision);
}

bool isUsableDriveType(std::uint16_t type) { return type == kTypeDirectAccess || type == kTypeOpticalMemory; }

BusScan scanBus(Transport& transport) {
    BusScan scan;
    for (unsigned adapter = 0; adapter < kAdapterLimit; ++adapter) {
        AdapterInquiry info = transport.hostAdapterInquiry(static_cast<std::uint8_t>(adapter));
        if (info.adapterCount == 0) break;
        std::size_t header = scan.entries.size();
        DeviceListEntry headerEntry;
        headerEntry.adapter = static_cast<std::uint8_t>(adapter);
        headerEntry.kind = 0xFF;
        headerEntry.product = info.managerId;
        scan.entries.push_back(headerEntry);
        std::uint8_t drives = 0;
        for (std::uint8_t target = 0; target < kMaxTargets; ++target) {
            std::uint16_t type = transport.deviceType(static_cast<std::uint8_t>(adapter), target);
            if (!isUsableDriveType(type)) continue;
            scan.entries.push_back(
                driveEntry(transport, static_cast<std::uint8_t>(adapter), target, static_cast<std::uint8_t>(type)));
            ++drives;
        }
        scan.entries[header].kind = static_cast<std::uint8_t>(1 + drives);
        scan.driveCount = static_cast<std::uint16_t>(scan.driveCount + drives);
        ++scan.adapterCount;
    }
    return scan;
}

}  // namespace korvane
