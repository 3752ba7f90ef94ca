#include "app/listing_view.h"

#include <algorithm>

#include "app/context.h"
#include "app/menu_state.h"

namespace korvane {

ListingLayout listing_layout(std::uint16_t option_flags) {
    // With both bits (the command line's /A) the wide listing shows the signature.
    if (option_flags & kListingSignature) return ListingLayout::Signature;
    if (option_flags & kListingExtended) return ListingLayout::Extended;
    return ListingLayout::Short;
}

std::uint16_t screen_size(std::uint16_t option_flags) {
    return listing_layout(option_flags) == ListingLayout::Short ? kListingPageEntries : kListingPageEntries / 2;
}

int rows_on_screen(const AppState& state) {
    int shown = state.end_shown > state.first_shown ? state.end_shown - state.first_shown : 0;
    return listing_layout(state.option_flags) == ListingLayout::Short ? (shown + 1) / 2 : shown;
}

bool is_selected(const AppState& state, std::size_t index) {
    return index < state.entries.size() && state.entries[index].selected();
}

bool is_folder(const AppState& state, std::size_t index) {
    return index < state.entries.size() && state.entries[index].is_folder();
}

std::string entry_name(const AppState& state, std::size_t index) {
    return index < state.entries.size() ? std::string(state.entries[index].name()) : std::string();
}

void select_entry(AppState& state, std::size_t index) {
    if (index < state.entries.size()) state.entries[index].set_selected(true);
}

void deselect_entry(AppState& state, std::size_t index) {
    if (index < state.entries.size()) state.entries[index].set_selected(false);
}

void toggle_entry(AppState& state, std::size_t index) {
    if (is_selected(state, index)) {
        deselect_entry(state, index);
    } else {
        select_entry(state, index);
    }
}

void select_all(AppState& state) {
    for (ListingEntry& entry : state.entries) entry.set_selected(true);
}

void deselect_all(AppState& state) {
    for (ListingEntry& entry : state.entries) entry.set_selected(false);
}

void invert_selection(AppState& state) {
    for (ListingEntry& entry : state.entries) entry.set_selected(!entry.selected());
}

std::size_t count_selected(const AppState& state) {
    return static_cast<std::size_t>(std::count_if(state.entries.begin(), state.entries.end(),
                                                  [](const ListingEntry& e) { return e.selected(); }));
}

int take_first_selected(AppState& state) {
    for (std::size_t i = 0; i < state.entries.size(); ++i) {
        if (state.entries[i].selected()) {
            state.entries[i].set_selected(false);
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<std::string> first_selected_name(const AppState& state) {
    for (std::size_t i = 0; i < state.entries.size(); ++i) {
        if (is_selected(state, i)) return entry_name(state, i);
    }
    return std::nullopt;
}

int first_selected_folder(const AppState& state, int after) {
    for (std::size_t i = static_cast<std::size_t>(std::max(after + 1, 0)); i < state.entries.size(); ++i) {
        if (is_selected(state, i) && is_folder(state, i)) return static_cast<int>(i);
    }
    return -1;
}

void settle_screen(Context& ctx) {
    AppState& state = ctx.state;
    std::uint16_t count = state.entry_count();
    if (state.first_shown >= count) state.first_shown = 0;  // a reload shortened the listing
    std::uint16_t shown = std::min<std::uint16_t>(count - state.first_shown, screen_size(state.option_flags));
    state.end_shown = state.first_shown + shown;
    ctx.menus.set_enabled(cmd::kNextScreen, state.end_shown < count);
}

int hit_test(const AppState& state, int x, int y, int line_height, int client_width) {
    if (state.target_id == kNoDrive || line_height <= 0) return -1;
    // Truncation toward zero: a point less than one line above the first row still hits it.
    int row = ((y - kFirstRowTop) / line_height) & 0xFF;
    if (row >= rows_on_screen(state)) return -1;
    int position = listing_layout(state.option_flags) != ListingLayout::Short
                           ? row
                           : 2 * row + (x >= client_width / 2 ? 1 : 0);
    // The empty right half of an odd last row hits nothing.
    return state.first_shown + position < state.end_shown ? position : -1;
}

int row_of_entry(const AppState& state, std::size_t index) {
    int position = static_cast<int>(index) - state.first_shown;
    return listing_layout(state.option_flags) == ListingLayout::Short ? position / 2 : position;
}

}  // namespace korvane
