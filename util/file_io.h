#pragma once
// Whole reads and writes at an offset of an open file: a short transfer or
// an interrupted call is continued until everything moved or the file
// refuses (a write that moves nothing is taken for a full disk).

#include <cstddef>
#include <cstdint>

namespace korvane {

bool read_at(int fd, std::uint8_t* data, std::size_t length, std::uint64_t offset);
bool write_at(int fd, const std::uint8_t* data, std::size_t length, std::uint64_t offset);

}  // namespace korvane
