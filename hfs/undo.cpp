#include "hfs/undo.h"

#include <filesystem>
#include <string>

#include "core/notices.h"
#include "hfs/drive_sectors.h"
#include "hfs/journal_location.h"
#include "hfs/undo_journal.h"
#include "hfs/undo_put_back.h"

namespace korvane {
namespace {

constexpr const char* kJournalOff = "Korvane runs without an undo journal (--no-journal): nothing can be undone.";
constexpr const char* kNoJournalPlace = "This medium has no undo journal: nothing can be undone.";
constexpr const char* kNothingToUndo = "There is no change to undo on this medium.";
constexpr const char* kInterrupted =
        "The last change Korvane made to this medium was interrupted before it was completely written. Roll it back, "
        "so that the medium is as it was before that change?";
constexpr const char* kUndoInterrupted =
        "Undoing the last change Korvane made to this medium was interrupted. Finish it, so that the medium is as it "
        "was before that change?";
constexpr const char* kLeftInterrupted =
        "The interrupted change was left as it is: CHECK shows what it damaged, and UNDO can still roll it back.";
constexpr const char* kRolledBack = "The interrupted change was rolled back: the medium is as it was before it.";
constexpr const char* kUndoFinished = "The interrupted undo was finished: the medium is as it was before that change.";

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::string sector_text(std::uint32_t sector) { return "sector " + std::to_string(sector); }

// Why a change could not be put back, as the end of a sentence.
std::string put_back_problem(const PutBackResult& result, const UndoJournal& journal) {
    switch (result.outcome) {
        case PutBack::MediumChanged:
            return "the medium no longer holds what that change wrote (" + sector_text(result.sector) +
                   " was changed since). Nothing was changed.";
        case PutBack::MediumUnreadable:
            return sector_text(result.sector) + " of the medium cannot be read to check it. Nothing was changed.";
        case PutBack::JournalUnreadable:
            return "the undo journal " + quoted(journal.path()) + " cannot be read back whole. Nothing was changed.";
        case PutBack::JournalUnwritable:
            return "the undo journal " + quoted(journal.path()) + " " + journal.error() + ".";
        case PutBack::WriteFailed:
            return "writing " + sector_text(result.sector) +
                   " to the medium failed, so it is only partly put back; UNDO tries it again.";
        case PutBack::Done:
            break;
    }
    return {};
}

void refuse(HfsContext& ctx, const std::string& text) {
    show_notice(ctx, text);
    ctx.outcome.failureReported = true;
}

// A change may lie on any volume of the medium: the whole medium is reached.
PutBackResult put_back_on_medium(HfsContext& ctx, UndoJournal& journal) {
    DriveSectors medium(ctx, {0, medium_sectors(ctx)});
    return put_back_last_record(journal, medium);
}

// The selected medium's journal, read; false (said) when there is none to use.
bool open_selected_journal(HfsContext& ctx, UndoJournal& journal) {
    const std::string path = selected_drive_journal(ctx);
    if (path.empty()) {
        refuse(ctx, ctx.journal.enabled ? kNoJournalPlace : kJournalOff);
        return false;
    }
    if (!std::filesystem::exists(path)) {
        refuse(ctx, kNothingToUndo);
        return false;
    }
    if (!journal.open(path, false)) {
        refuse(ctx, "The undo journal " + quoted(path) + " " + journal.error() + ": nothing was undone.");
        return false;
    }
    if (journal.damaged()) {
        refuse(ctx, "The undo journal " + quoted(path) + " is damaged: nothing can be undone from it.");
        return false;
    }
    return true;
}

}  // namespace

bool undo_last_change(HfsContext& ctx) {
    UndoJournal journal;
    if (!open_selected_journal(ctx, journal)) return false;
    if (journal.records().empty()) {
        refuse(ctx, kNothingToUndo);
        return false;
    }
    const PutBackResult result = put_back_on_medium(ctx, journal);
    if (result.outcome != PutBack::Done) {
        refuse(ctx, "The last change cannot be undone: " + put_back_problem(result, journal));
        return false;
    }
    const std::size_t left = journal.records().size();
    show_notice(ctx, "The last change was undone: " + std::to_string(result.sectorsPutBack) +
                             " sectors are as they were before it. " +
                             (left == 0 ? std::string("The journal holds no earlier change.")
                                        : std::to_string(left) + " earlier changes can still be undone."));
    return true;
}

void offer_rollback(HfsContext& ctx) {
    const std::string path = selected_drive_journal(ctx);
    if (path.empty() || !std::filesystem::exists(path)) return;
    // What Korvane held of the volume before is of no use now, its device included.
    forget_volume(ctx);
    UndoJournal journal;
    if (!journal.open(path, false)) {
        show_notice(ctx, "The undo journal " + quoted(path) + " " + journal.error() + ".");
        return;
    }
    if (journal.damaged()) {
        show_notice(ctx, "The undo journal " + quoted(path) + " is damaged: the changes it holds cannot be undone.");
        return;
    }
    if (journal.records().empty() || !journal.records().back().interrupted()) return;
    const bool undoing = journal.records().back().undoing;
    if (!ctx.host.ask_yes_no(undoing ? kUndoInterrupted : kInterrupted)) {
        show_notice(ctx, kLeftInterrupted);
        return;
    }
    const PutBackResult result = put_back_on_medium(ctx, journal);
    if (result.outcome == PutBack::Done) {
        show_notice(ctx, undoing ? kUndoFinished : kRolledBack);
        return;
    }
    refuse(ctx, "The interrupted change cannot be rolled back: " + put_back_problem(result, journal));
}

}  // namespace korvane
