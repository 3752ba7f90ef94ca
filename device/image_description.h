#pragma once
// How an image on the image bus is described: the file name convention of
// SCSI emulators (<KIND><ID>[<LUN>][_<BLOCKSIZE>].<ext>, e.g. HD10_512.hda)
// and the options a user may add after the path ("PATH,id=3,ro,bad=5-9",
// "killwrite=4").

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct BlockRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
};

struct ImageDescription {
    std::string path;
    std::optional<std::uint8_t> id;  // from the name or id=
    std::uint8_t lun = 0;
    std::uint8_t device_type = 0;             // SCSI peripheral type
    std::string kind_name = "HD";             // shown as the product of the drive
    std::optional<std::uint16_t> block_size;  // from the name or sector=; see block_size_of
    bool read_only = false;
    std::vector<BlockRange> bad;
    std::uint32_t flaky = 0;  // failures before each command succeeds
    // Write commands are numbered from 1 in the order the target receives
    // them. failWrite: that one and every later one fail (a drive that stops
    // writing part-way). killWrite: the process is killed right before that
    // one is carried out (a crash or a power cut in the middle of a command).
    std::optional<std::uint32_t> failWrite;
    std::optional<std::uint32_t> killWrite;
    std::string write_log;  // a file that receives "FIRST COUNT" for each write command
};

// The block size the target answers with: as given, else 2048 for a CD-ROM and 512 otherwise.
std::uint16_t block_size_of(const ImageDescription& description);

// Reads the kind, target id, LUN and block size from a file name that follows
// the convention. False (description untouched) for any other name.
bool parse_image_name(std::string_view fileName, ImageDescription& description);

// Parses "PATH[,options]". The option writelog=FILE comes last: its file
// name is the rest of the text, commas and slashes included. Returns an empty string, or what is wrong.
std::string parse_image_description(const std::string& text, ImageDescription& description);

// What is wrong with an image named on the command line, or "": its options
// (as parse_image_description), or a path that names a directory, a FIFO or a
// socket (a FIFO would stop the first read for good). A path that does not
// exist passes: attaching it says so, and Korvane starts without it.
std::string check_image_argument(const std::string& text);

}  // namespace korvane
