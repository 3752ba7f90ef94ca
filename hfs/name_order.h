#pragma once
// The order of names in the catalog: a 256-entry weight table over the
// Macintosh character set (case folded, accents kept), the comparison of
// two names, and the wildcard rule of patterns such as "ab*".

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvane {

// Weight of each character byte; the order Mac OS keeps its catalogs in.
extern const std::array<std::uint16_t, 256> kNameWeights;

// Negative, 0 or positive: the weight difference at the first position that
// differs; a name that is a prefix of the other sorts first.
int compare_names(std::string_view a, std::string_view b);

// The weight difference at the first of the first n positions that differ
// (a position past the end of a name weighs as nothing), 0 when none do.
int compare_prefix(std::string_view a, std::string_view b, std::size_t n);

// Compares a pattern with a name: 0 when the name matches. Trailing blanks
// of both are ignored. Without '*' the pattern is compared as a name; a
// leading '*' matches everything; otherwise the characters before the '*'
// are compared as a prefix and the rest of the pattern is ignored.
int match_name(std::string_view pattern, std::string_view name);

// pattern without its trailing blanks.
std::string_view trim_trailing_blanks(std::string_view text);

}  // namespace korvane
