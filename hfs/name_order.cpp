#include "hfs/name_order.h"

#include <algorithm>

namespace korvane {

// Weights by character code. Case is folded (a..z weigh as A..Z) and accented
// letters sort right after their base capital, so 'Ä' falls between 'A' and
// 'B'. Mac OS keeps '[', '\', ']' after 'Z' in code order, 'ß' after every
// 'S' and before 'T', the no-break space equal to a blank, and the capitals
// Â Ê Á Ë È Í Î Ï Ì Ó Ô Ò Ú Û Ù (0xE5-0xEF, 0xF1-0xF4) unfolded in code
// order; these weights follow it, or names written by a Macintosh would be
// missed and catalogs written here would be out of order for a Macintosh.
const std::array<std::uint16_t, 256> kNameWeights = {
        0,    16,   32,   48,   64,   80,   96,   112,  128,  144,  160,  176,  192,  208,  224,  240,   // 0x00
        256,  272,  288,  304,  320,  336,  352,  368,  384,  400,  416,  432,  448,  464,  480,  496,   // 0x10
        512,  528,  544,  560,  576,  592,  608,  624,  640,  656,  672,  688,  704,  720,  736,  752,   // 0x20
        768,  784,  800,  816,  832,  848,  864,  880,  896,  912,  928,  944,  960,  976,  992,  1008,  // 0x30
        1024, 1040, 1056, 1072, 1088, 1104, 1120, 1136, 1152, 1168, 1184, 1200, 1216, 1232, 1248, 1264,  // 0x40
        1280, 1296, 1312, 1328, 1344, 1360, 1376, 1392, 1408, 1424, 1440, 1456, 1472, 1488, 1504, 1520,  // 0x50
        1046, 1040, 1056, 1072, 1088, 1104, 1120, 1136, 1152, 1168, 1184, 1200, 1216, 1232, 1248, 1264,  // 0x60
        1280, 1296, 1312, 1328, 1344, 1360, 1376, 1392, 1408, 1424, 1440, 1968, 1984, 2000, 2016, 2032,  // 0x70
        1042, 1044, 1073, 1105, 1249, 1265, 1361, 1047, 1041, 1048, 1042, 1043, 1044, 1073, 1105, 1106,  // 0x80
        1107, 1108, 1169, 1170, 1171, 1172, 1249, 1269, 1270, 1271, 1265, 1266, 1362, 1363, 1364, 1361,  // 0x90
        2560, 2576, 2592, 2608, 2624, 2640, 2656, 1336, 2688, 2704, 2720, 2736, 2752, 2768, 1045, 1267,  // 0xA0
        2816, 2832, 2848, 2864, 2880, 2896, 2912, 2928, 2944, 2960, 2976, 1049, 1272, 3024, 1045, 1267,  // 0xB0
        3072, 3088, 3104, 3120, 3136, 3152, 3168, 547,  548,  3216, 512,  1041, 1043, 1266, 1268, 1268,  // 0xC0
        3328, 3344, 545,  546,  625,  626,  3424, 3440, 1425, 3472, 3488, 3504, 3520, 3536, 3552, 3568,  // 0xD0
        3584, 3600, 3616, 3632, 3648, 3664, 3680, 3696, 3712, 3728, 3744, 3760, 3776, 3792, 3808, 3824,  // 0xE0
        3840, 3856, 3872, 3888, 3904, 3920, 3936, 3952, 3968, 3984, 4000, 4016, 4032, 4048, 4064, 4080,  // 0xF0
};

namespace {

int weight(std::string_view text, std::size_t i) {
    return i < text.size() ? kNameWeights[static_cast<unsigned char>(text[i])] : 0;
}

}  // namespace

std::string_view trim_trailing_blanks(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

int compare_names(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = weight(a, i) - weight(b, i);
        if (difference != 0) return difference;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int compare_prefix(std::string_view a, std::string_view b, std::size_t n) {
    const std::size_t positions = std::min(n, std::max(a.size(), b.size()));
    for (std::size_t i = 0; i < positions; ++i) {
        const int difference = weight(a, i) - weight(b, i);
        if (difference != 0) return difference;
    }
    return 0;
}

int match_name(std::string_view pattern, std::string_view name) {
    pattern = trim_trailing_blanks(pattern);
    name = trim_trailing_blanks(name);
    const std::size_t star = pattern.find('*');
    if (star == std::string_view::npos) return compare_names(pattern, name);
    if (star == 0) return 0;
    return compare_prefix(pattern, name, star);
}

}  // namespace korvane
