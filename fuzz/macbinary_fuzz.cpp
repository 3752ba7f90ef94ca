// Reads the first 128 bytes of the input as the header of a MacBinary file
// as long as the input. A header that is taken must describe forks that lie
// inside the file and a name of 1 to 63 characters; written out again by
// Korvane's own writer, it must read back the same.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "transfer/macbinary_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane;
    if (size < kMacBinaryHeaderSize) return 0;
    const std::span<const std::uint8_t, kMacBinaryHeaderSize> bytes(data, kMacBinaryHeaderSize);
    const auto header = read_macbinary_header(bytes, size);
    if (!header) return 0;
    if (header->name.empty() || header->name.size() > 63) std::abort();
    if (header->data_offset + header->data_length > size) std::abort();
    // An empty resource fork may be said to begin past the end: nothing is read there.
    if (header->resource_length > 0 && header->resource_offset + header->resource_length > size) std::abort();

    MacBinaryFields fields;
    fields.name = header->name;
    fields.type = header->type;
    fields.creator = header->creator;
    fields.finder_flags = header->finder_flags;
    fields.data_length = header->data_length;
    fields.resource_length = header->resource_length;
    fields.created = header->created;
    fields.modified = header->modified;
    const auto written = make_macbinary_header(fields);
    const std::uint64_t wholeFile = macbinary_resource_offset(header->data_length) + header->resource_length;
    const auto again = read_macbinary_header(written, wholeFile);
    // Leading blanks of a name are dropped on writing; a name of blanks only may not come back.
    if (again && (again->data_length != header->data_length || again->resource_length != header->resource_length ||
                  again->type != header->type || again->creator != header->creator ||
                  again->created != header->created || again->modified != header->modified))
        std::abort();
    return 0;
}
