#pragma once
// Where a copy to the PC writes: a new PC file in the current directory, or
// a port device. PC files are only ever created new, so an entry that already
// stands in the destination (a file, a link, a FIFO, a device) can neither be
// overwritten nor redirect the bytes anywhere else.

#include <cstddef>
#include <cstdint>
#include <string>

#include "transfer/transfer_context.h"

namespace korvane {

// What a copy writes to: the descriptor, and the PC file's name in the
// current directory (UTF-8; empty for a port).
struct CopyOutput {
    int fd = -1;
    std::string pc_name;
    bool opened() const { return fd >= 0; }
};

// Creates a new PC file for writing. Nothing that already stands under the
// name is ever opened: no link is followed, no FIFO or device is opened and no
// file is emptied. The descriptor, or -1 with errno (EEXIST: the name is taken).
int create_new_pc_file(const std::string& path);

// Opens the device of port 1-7 for writing raw bytes; -1 after the notice
// "Error opening file:" with the device's path (a failure of the command).
int open_output_port(TransferContext& ctx, int port);

// Writes every byte, retrying short writes; false on failure, with errno.
bool write_all(int fd, const void* data, std::size_t size);
// Writes count zero bytes.
bool write_zeros(int fd, std::uint64_t count);

// Gives the open file the Macintosh date as its local modification time,
// with the 2-second resolution of MS-DOS file times. Dates before 1970 are
// kept: Linux file times reach back further.
void set_pc_file_date(int fd, std::uint32_t mac_date);

}  // namespace korvane
