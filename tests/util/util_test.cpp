// The util library: the big-endian fields of the medium (loads and stores
// that stay inside their buffer; the fields themselves are read back by
// hfsutils everywhere); the six character tables, their published mappings
// and exceptions, and translate_chars ending a text at a character without
// an equivalent; PC names between the Windows or DOS character set and
// UTF-8; extensions and letter case of names; PC files, free space and
// drives.
#include "util/pc_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/scratch_dir.h"
#include "util/byte_order.h"
#include "util/char_tables.h"
#include "util/drives.h"
#include "util/pc_names.h"
#include "util/strings.h"

namespace korvane::testing {
namespace {

void write_all(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A local time written "YYYY-MM-DD HH:MM:SS".
std::tm local(const char* text) {
    std::tm time{};
    strptime(text, "%Y-%m-%d %H:%M:%S", &time);
    return time;
}

// A regular file (a dot file too: it must not be overwritten as if absent)
// has the local DOS date and time; a directory or a missing name has none.
TEST(FileStamp, IsTheLocalDosDateAndTimeOfARegularFile) {
    ScratchDir dir;
    write_all(dir / ".dated", "x");
    int fd = open((dir / ".dated").c_str(), O_RDWR);
    ASSERT_TRUE(set_file_time(fd, local("1996-05-23 09:05:07")));
    close(fd);
    // 1996-05-23 09:05:07 -> date (16 << 9 | 5 << 5 | 23), time (9 << 11 | 5 << 5 | 3): seconds halve.
    EXPECT_EQ(file_stamp(dir / ".dated"), (16u << 9 | 5u << 5 | 23u) << 16 | (9u << 11 | 5u << 5 | 3u));
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(file_stamp(dir / "folder"), 0u);
    EXPECT_EQ(file_stamp(dir / "nothing"), 0u);
    // Years before 1980 clamp to the format's first day.
    EXPECT_EQ(dos_stamp(local("1970-01-01 00:00:00")), (1u << 5 | 1u) << 16);
}

TEST(HasFreeSpace, CountsWholeFreeFragmentsOnTheFileSystem) {
    ScratchDir dir;
    EXPECT_TRUE(has_free_space(dir.path(), 0));
    EXPECT_TRUE(has_free_space(dir.path(), 4096));
    EXPECT_FALSE(has_free_space(dir.path(), std::uint64_t(1) << 62));
    EXPECT_FALSE(has_free_space(dir / "no-such-folder", 0));
    EXPECT_TRUE(drive_has_long_names(dir.path()));
}

TEST(Drives, TheCurrentOneHoldsTheWorkingDirectory) {
    EXPECT_FALSE(list_drives().empty());
    EXPECT_EQ(drive_of("/proc/self"), "/proc");
}

TEST(Drives, TheListsOfferHomeAndTheFileSystemsThatHoldFiles) {
    auto mounts = parse_mounts(
            "proc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\nudev /dev devtmpfs rw 0 0\ntmpfs /dev/shm tmpfs rw 0 0\n"
            "/dev/sda2 / ext4 rw 0 0\ncgroup2 /sys/fs/cgroup cgroup2 rw 0 0\ntmpfs /run/user/1000 tmpfs rw 0 0\n"
            "/dev/loop3 /snap/core/1 squashfs ro 0 0\n/dev/sda3 /home ext4 rw 0 0\n"
            "portal /run/user/1000/doc fuse.portal rw 0 0\n/dev/sdb1 /media/My\\040Disk vfat rw 0 0\n"
            "/dev/sda2 / ext4 rw 0 0\n");
    EXPECT_EQ(drive_choices(mounts, "/home/ann"),
              (std::vector<std::string>{"/home/ann", "/", "/home", "/media/My Disk"}));
    EXPECT_EQ(drive_choices(mounts, "").front(), "/");
    EXPECT_EQ(mounts[10].fs_type, "vfat");
}

TEST(ByteOrder, BoundedLoadsStayInsideTheBuffer) {
    const std::uint8_t bytes[5] = {1, 2, 3, 4, 5};
    const std::span<const std::uint8_t> view(bytes);
    EXPECT_EQ(load_be32(view, 1), 0x02030405u);
    EXPECT_EQ(load_be32(view, 2), 0u);
    EXPECT_EQ(load_be16(view, 4), 0u);
    EXPECT_EQ(load_be16(view, static_cast<std::size_t>(-1)), 0u);
    std::uint8_t target[3] = {};
    EXPECT_FALSE(store_be32(std::span<std::uint8_t>(target), 0, 7));
    EXPECT_TRUE(store_be16(std::span<std::uint8_t>(target), 1, 0xABCD));
    EXPECT_EQ(target[1], 0xAB);
}

TEST(CharTables, PublishedMappingsAndTheirExceptions) {
    // Each table with pairs of source byte, target byte (0: no equivalent, ends a name).
    const std::pair<const CharTable*, std::vector<int>> tables[] = {
            // Ä, é, ß; the no-break space, "\" and “ become "_".
            {&mac_to_ansi, {0x80, 0xC4, 0x8E, 0xE9, 0xA7, 0xDF, 0xCA, 0x5F, 0x5C, 0x5F, 0xD2,
                            0x5F, 0xD4, 0x91, 0xDB, 0xA4, 0xD0, '-',  0xF7, '"',  'A',  'A'}},
            {&mac_to_short_name,
             {'a', 'A', '[', '(', '.', 0, ' ', 0, 0x12, '_', 0x80, 0x8E, 0x8E, 'E', 0xA7, 0xE1, 0xA0, 0, 0xD5, 0x27}},
            {&ansi_to_mac, {':', 0, 0x80, 0, 0x9B, 0xCF, 0xB2, '2', 0xDF, 0xA7, 0xFE, 0xA5}},
            {&ansi_to_oem, {0xC4, 0x8E, 0xE9, 0x82, 0xC0, 'A', 0xA6, '|', 0xA4, '_', ':', 0, 0x0A, 0}},
            {&oem_to_mac, {0x8E, 0x80, 0xE1, 0xA7, 0xB0, 0, 0xE4, 0xB7}},
            {&oem_to_ansi, {0x0A, 0x0A, 0x0D, 0x0D, 0x09, 0, 0x8E, 0xC4, 0xC4, 0, 0xE3, '_', 0xAC, 0xBE}},
    };
    for (std::size_t t = 0; t < std::size(tables); ++t) {
        const auto& [table, pairs] = tables[t];
        for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
            EXPECT_EQ((*table)[pairs[i]], pairs[i + 1]) << "table " << t << ", byte " << pairs[i];
    }
    for (int c = 0; c < 256; ++c) EXPECT_NE(mac_to_ansi[c], 0) << c;  // a Macintosh name never ends early
    for (int mac = 0x80; mac <= 0x9F; ++mac) EXPECT_EQ(ansi_to_mac[mac_to_ansi[mac]], mac) << mac;
}

TEST(CharTables, TranslationEndsAtACharacterWithoutEquivalent) {
    std::string name = "R\xE9sum\xE9: draft";
    translate_chars(name, ansi_to_mac);
    EXPECT_EQ(name, "R\x8Esum\x8E");
    EXPECT_EQ(translated("caf\x8E", mac_to_ansi), "caf\xE9");
    EXPECT_EQ(translated("", oem_to_mac), "");
}

TEST(PcNames, EveryByteOfBothCharacterSetsSurvivesARoundTrip) {
    for (PcCharset charset : {PcCharset::Windows, PcCharset::Dos}) {
        for (int byte = 1; byte < 256; ++byte) {
            const std::string name(1, static_cast<char>(byte));
            const PcName back = pc_name_from_utf8(pc_name_to_utf8(name, charset), charset);
            EXPECT_TRUE(back.exact) << byte;
            EXPECT_EQ(back.name, name) << "byte " << byte;
        }
    }
}

TEST(PcNames, FollowThePublishedMappings) {
    EXPECT_EQ(pc_name_to_utf8("\x80\x8A\x9F\xE9\xFF", PcCharset::Windows), "€ŠŸéÿ");
    EXPECT_EQ(pc_name_to_utf8("\x80\x82\x9E\xB3\xE1\xE6\xFE\xFF", PcCharset::Dos), "Çé₧│ßµ■\u00A0");
    EXPECT_EQ(pc_name_from_utf8("Café", PcCharset::Dos).name, "Caf\x82");
    EXPECT_EQ(pc_name_from_utf8("Café", PcCharset::Windows).name, "Caf\xE9");
}

TEST(PcNames, CharactersWithoutAByteBecomeAnUnderscore) {
    PcName result = pc_name_from_utf8("a\xE2\x98\x83z", PcCharset::Windows);  // a snowman
    EXPECT_FALSE(result.exact);
    EXPECT_EQ(result.name, "a_z");
    // A stray byte, an overlong slash and a lone surrogate are not characters.
    result = pc_name_from_utf8("\xFFx\xC0\xAF\xED\xA0\x80", PcCharset::Windows);
    EXPECT_FALSE(result.exact);
    EXPECT_EQ(result.name.find('/'), std::string::npos);
    EXPECT_EQ(result.name.substr(0, 2), "_x");
}

std::string with_extension(std::string name, std::string_view ext) {
    set_extension(name, ext);
    return name;
}

std::string numbered(std::string name, std::uint16_t number) {
    set_numbered_extension(name, number);
    return name;
}

TEST(SetExtension, ReplacesOnlyAnExtensionAmongTheLastFourCharacters) {
    EXPECT_EQ(with_extension("REPORT", "TXT"), "REPORT.txt");
    EXPECT_EQ(with_extension("REPORT.DOC", "TXT"), "REPORT.txt");
    EXPECT_EQ(with_extension("A.LONGER", "TXT"), "A.LONGER.txt");
    EXPECT_EQ(with_extension("NAME.", "TXT"), "NAME.txt");
    EXPECT_EQ(with_extension("A.B", "hqx"), "A.hqx");
    EXPECT_EQ(with_extension("korvane", "HLP"), "korvane.hlp");
}

TEST(SetNumberedExtension, WritesThreeBase32DigitsLowerCased) {
    EXPECT_EQ(numbered("NAME.TXT", 1), "NAME.001");
    EXPECT_EQ(numbered("NAME.TXT", 32), "NAME.010");
    EXPECT_EQ(numbered("NAME.TXT", 1055), "NAME.10v");
    EXPECT_EQ(numbered("NAME", 0x7FFF), "NAME.vvv");
    // Only the low 15 bits count.
    EXPECT_EQ(numbered("NAME", 0x8001), "NAME.001");
}

TEST(LatinCase, WorksByByteRangeNotByLetter) {
    std::string text = "ab\xF7\xFF\xE0z";
    to_upper_latin(text);
    EXPECT_EQ(text, "AB\xD7\xFF\xC0Z");
    to_lower_latin(text);
    EXPECT_EQ(text, "ab\xF7\xFF\xE0z");
}

}  // namespace
}  // namespace korvane::testing
