// Every modifying command, stopped at each of its write commands in turn:
// once by a drive that stops writing (failwrite=k), once by a process killed
// right before the write (killwrite=k). Each table row prints how the
// medium came out. Nothing may be silent: a failed command says so, and a
// medium that is neither as before nor as after the command is one whose
// damage CHECK names. With the undo journal, a killed command is rolled
// back at the next opening: the medium is as before or as after it.
#include <cstdio>
#include <map>

#include <gtest/gtest.h>

#include "tests/e2e/interrupted_writes.h"
#include "util/byte_order.h"

namespace korvane::e2e {
namespace {

// --- a drive that stops writing -------------------------------------------------------

enum class FaultOutcome { Consistent, ReportedDamage, Silent };

// korvane-cmd's status when the command could not be carried out (here:
// CHECK finds no volume to check).
constexpr int kNoVolumeStatus = 4;

// What a write-back and a format say when the medium stopped taking writes.
constexpr const char* kMayBeDamaged = "may be damaged";
constexpr const char* kFormatIncomplete = "The format did not complete";

// Consistent: the volume reads as before or as after the command, CHECK
// finds nothing. Reported damage: Korvane said the medium may be damaged
// and CHECK names what is wrong.
FaultOutcome judge_failed_write(const ScratchDir& dir, const WriteOperation& op, const OperationBaseline& baseline,
                                const CmdRun& run, const std::string& image, std::string& why) {
    if (run.status == 0 || run.err.find("Korvane: ") == std::string::npos) {
        why = "reported success";
        return FaultOutcome::Silent;
    }
    const CmdRun check = check_from_command_line(dir, image);
    const std::string listing = hfsutils_listing(dir, image);
    const bool asBeforeOrAfter = listing == baseline.beforeListing || listing == baseline.afterListing;
    if (check.status == 0 && !listing.empty() && (asBeforeOrAfter || op.replacesVolume))
        return FaultOutcome::Consistent;
    const bool told =
            run.err.find(kMayBeDamaged) != std::string::npos || run.err.find(kFormatIncomplete) != std::string::npos;
    if (check.status != 0 && told) return FaultOutcome::ReportedDamage;
    why = "CHECK status " + std::to_string(check.status) + ", told: " + run.err + check.out;
    return FaultOutcome::Silent;
}

TEST(InterruptedWrites, AFailedWriteIsToldAndLeavesASoundVolumeOrNamedDamage) {
    std::printf("%-26s %7s %11s %16s %7s\n", "operation", "writes", "consistent", "reported damage", "silent");
    for (const WriteOperation& op : write_operations()) {
        ScratchDir dir;
        const OperationBaseline baseline = measure_operation(dir, op);
        ASSERT_GT(baseline.writes, 0u) << op.name;
        std::map<FaultOutcome, int> counts;
        for (std::size_t k = 1; k <= baseline.writes; ++k) {
            const std::string image = dir / "faulty.img";
            copy_image(base_volume().image, image);
            const CmdRun run = run_operation(dir, image + ",failwrite=" + std::to_string(k), op);
            std::string why;
            const FaultOutcome outcome = judge_failed_write(dir, op, baseline, run, image, why);
            ++counts[outcome];
            EXPECT_NE(outcome, FaultOutcome::Silent) << op.name << ", write " << k << ": " << why;
        }
        std::printf("%-26s %7zu %11d %16d %7d\n", op.name, baseline.writes, counts[FaultOutcome::Consistent],
                    counts[FaultOutcome::ReportedDamage], counts[FaultOutcome::Silent]);
    }
}

// --- a process killed in the middle -------------------------------------------------

// No volume: a format cut short left a medium that neither Korvane nor
// hfsutils takes for a volume (the old one was already overwritten). Only
// the fault table can show it: a killed format is rolled back.
enum class CrashOutcome { Before, After, SameContent, DamageNamed, NoVolume, Silent };

// The volume's layout from its header, to tell which sectors hold data
// (the rest lie in free allocation blocks, whose contents mean nothing).
struct Layout {
    std::uint32_t bitmapSector = 0;
    std::uint32_t firstAllocSector = 0;
    std::uint32_t sectorsPerBlock = 1;
    std::uint32_t blocks = 0;
};

Layout layout_of(const std::string& bytes) {
    const auto* mdb = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2 * 512;
    Layout layout;
    layout.bitmapSector = load_be16(mdb + 0x0E);
    layout.firstAllocSector = load_be16(mdb + 0x1C);
    layout.sectorsPerBlock = std::max<std::uint32_t>(1, load_be32(mdb + 0x14) / 512);
    layout.blocks = load_be16(mdb + 0x12);
    return layout;
}

bool sector_in_free_block(const std::string& bytes, const Layout& layout, std::size_t sector) {
    if (sector < layout.firstAllocSector) return false;
    const std::size_t block = (sector - layout.firstAllocSector) / layout.sectorsPerBlock;
    if (block >= layout.blocks) return false;
    const std::size_t bit = std::size_t{layout.bitmapSector} * 512 * 8 + block;
    return (static_cast<std::uint8_t>(bytes[bit / 8]) & (0x80u >> (bit % 8))) == 0;
}

// Byte for byte the same medium, but for the contents of the blocks that
// the result's bitmap calls free and for the alternate volume header (Mac
// OS lets it grow old; CHECK does not read it).
bool same_medium(const std::string& result, const std::string& expected) {
    if (result.size() != expected.size() || result.size() < 3 * 512) return false;
    const Layout layout = layout_of(result);
    const std::size_t sectors = result.size() / 512;
    for (std::size_t s = 0; s < sectors; ++s) {
        if (s == sectors - 2 || sector_in_free_block(result, layout, s)) continue;
        if (result.compare(s * 512, 512, expected, s * 512, 512) != 0) return false;
    }
    return true;
}

// The next opening finds the interrupted change in the undo journal and,
// told yes, rolls it back.
void recover_after_crash(const ScratchDir& dir, const std::string& image) {
    run_program(dir.path(), {korvane_cmd(), "--yes", image, "-c", "QUIT"});
}

// Before and after: byte for byte (see same_medium). Same content: CHECK
// finds nothing and hfsutils reads the volume exactly as before or after,
// though some bytes differ (a leftover that no reader can tell).
CrashOutcome judge_crash(const ScratchDir& dir, const WriteOperation& op, const OperationBaseline& baseline,
                         const std::string& image) {
    recover_after_crash(dir, image);
    const std::string result = file_bytes(image);
    if (same_medium(result, baseline.beforeBytes)) return CrashOutcome::Before;
    if (same_medium(result, baseline.afterBytes)) return CrashOutcome::After;
    const int check = check_from_command_line(dir, image).status;
    if (check == 3) return CrashOutcome::DamageNamed;
    const std::string listing = hfsutils_listing(dir, image);
    if (check == 0 && (listing == baseline.beforeListing || listing == baseline.afterListing))
        return CrashOutcome::SameContent;
    if (op.replacesVolume && check == kNoVolumeStatus && listing.empty()) return CrashOutcome::NoVolume;
    return CrashOutcome::Silent;
}

TEST(InterruptedWrites, AProcessKilledAtAnyWriteLeavesTheMediumBeforeAfterOrWithNamedDamage) {
    std::printf("%-26s %7s %7s %7s %13s %13s %10s %7s\n", "operation", "writes", "before", "after", "same content",
                "damage named", "no volume", "silent");
    for (const WriteOperation& op : write_operations()) {
        ScratchDir dir;
        const OperationBaseline baseline = measure_operation(dir, op);
        std::map<CrashOutcome, int> counts;
        for (std::size_t k = 1; k <= baseline.writes; ++k) {
            const std::string image = dir / "killed.img";
            copy_image(base_volume().image, image);
            const CmdRun run = run_operation(dir, image + ",killwrite=" + std::to_string(k), op);
            EXPECT_EQ(run.status, -1) << op.name << ", write " << k << ": not killed";
            const CrashOutcome outcome = judge_crash(dir, op, baseline, image);
            ++counts[outcome];
            // The undo journal rolls an interrupted change back at the next
            // opening, a format included.
            EXPECT_TRUE(outcome == CrashOutcome::Before || outcome == CrashOutcome::After)
                    << op.name << ", killed before write " << k;
        }
        std::printf("%-26s %7zu %7d %7d %13d %13d %10d %7d\n", op.name, baseline.writes, counts[CrashOutcome::Before],
                    counts[CrashOutcome::After], counts[CrashOutcome::SameContent], counts[CrashOutcome::DamageNamed],
                    counts[CrashOutcome::NoVolume], counts[CrashOutcome::Silent]);
    }
}

}  // namespace
}  // namespace korvane::e2e
