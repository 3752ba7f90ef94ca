#include "transfer/macbinary_header.h"

#include <algorithm>

#include "util/byte_order.h"

namespace korvane {

std::array<std::uint8_t, kMacBinaryHeaderSize> make_macbinary_header(const MacBinaryFields& fields) {
    std::array<std::uint8_t, kMacBinaryHeaderSize> header{};
    std::string_view name = fields.name;
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    name = name.substr(0, 63);
    header[1] = static_cast<std::uint8_t>(name.size());
    std::copy(name.begin(), name.end(), header.begin() + 2);
    std::copy(fields.type.begin(), fields.type.end(), header.begin() + 65);
    std::copy(fields.creator.begin(), fields.creator.end(), header.begin() + 69);
    storeBE16(header.data() + 73, fields.finder_flags);
    storeBE16(header.data() + 75, fields.vertical);
    storeBE16(header.data() + 77, fields.horizontal);
    storeBE32(header.data() + 83, fields.data_length);
    storeBE32(header.data() + 87, fields.resource_length);
    storeBE32(header.data() + 91, fields.created);
    storeBE32(header.data() + 95, fields.modified);
    return header;
}

}  // namespace korvane
