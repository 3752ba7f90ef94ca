#pragma once
// Where a copy to the PC writes: a new PC file in the current directory, or
// a port device. PC files are created without ever following a symbolic
// link and without truncating anything but a regular file, so an entry that
// already stands in the destination cannot redirect or destroy anything.

#include <cstddef>
#include <cstdint>
#include <string>

#include "transfer/transfer_context.h"

namespace korvane {

// Whether anything (file, directory, link, device) stands under the name.
bool pc_name_taken(const std::string& path);

// Creates the file, or empties an existing regular file, for writing.
// Anything else under the name (a link, a directory, a device) is refused:
// the notice "Error opening file:" with the path, and -1.
int create_copy_file(TransferContext& ctx, const std::string& path);

// Opens the device of port 1-7 for writing raw bytes; -1 after the notice
// "Error opening file:" with the device's path.
int open_output_port(TransferContext& ctx, int port);

// Writes every byte, retrying short writes; false on failure.
bool write_all(int fd, const void* data, std::size_t size);
// Writes count zero bytes.
bool write_zeros(int fd, std::uint64_t count);

// Gives the open file the Macintosh date as its local modification time,
// with the 2-second resolution of MS-DOS file times.
void set_pc_file_date(int fd, std::uint32_t mac_date);

}  // namespace korvane
