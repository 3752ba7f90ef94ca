#pragma once
// The listing as the user sees and selects it: screens of 36 entries (short
// listing, two per row) or 18 (extended and signature listings, one per row),
// the selection marks every file command works on, and the hit test that maps
// a point of the window to an entry. Loading the entries is the catalog's job;
// painting them is the front end's.

#include <cstdint>
#include <optional>
#include <string>

#include "core/app_state.h"
#include "core/listing_entry.h"

namespace korvane {

struct Context;

enum class ListingLayout { Short, Extended, Signature };

ListingLayout listing_layout(std::uint16_t option_flags);
// 36 entries in the short listing, 18 in the wide ones.
std::uint16_t screen_size(std::uint16_t option_flags);
// Rows on screen: one per entry, or half of them rounded up in the short listing.
int rows_on_screen(const AppState& state);

bool is_selected(const AppState& state, std::size_t index);
bool is_folder(const AppState& state, std::size_t index);
// The entry's name in the Macintosh character set, without its terminator
// ("" past the listing).
std::string entry_name(const AppState& state, std::size_t index);

void select_entry(AppState& state, std::size_t index);
void deselect_entry(AppState& state, std::size_t index);
void toggle_entry(AppState& state, std::size_t index);
void select_all(AppState& state);
void deselect_all(AppState& state);
void invert_selection(AppState& state);
std::size_t count_selected(const AppState& state);
// Clears the mark of the lowest selected entry and returns its index, or -1.
int take_first_selected(AppState& state);
// The exact name of the first selected entry, which stays selected; nothing
// when none is.
std::optional<std::string> first_selected_name(const AppState& state);
// The first selected folder after the given index (start with -1), or -1.
int first_selected_folder(const AppState& state, int after);

// Fixes end_shown for the screen that starts at first_shown and enables "Next
// Screen" exactly when entries remain below it. Called before every paint.
void settle_screen(Context& ctx);

// The on-screen position under a point of the window's client area, or -1.
// line_height and client_width come from the front end's font and window.
int hit_test(const AppState& state, int x, int y, int line_height, int client_width);
// The listing row that shows an entry (for repainting only that band).
int row_of_entry(const AppState& state, std::size_t index);

// The first listing row's top, in client coordinates.
inline constexpr int kFirstRowTop = 72;

}  // namespace korvane
