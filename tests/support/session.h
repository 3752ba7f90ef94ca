#pragma once
// A Korvane context whose drive is one image on the image bus, and the
// listing's entries by name.

#include <string>
#include <vector>

#include "app/context.h"
#include "app/listing_view.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"

namespace korvane::testing {

struct Session {
    ScriptedHost host;
    Context ctx{host};

    explicit Session(const std::string& image) { select_single_image(ctx, image); }

    int index_of(const std::string& name) const {
        for (std::size_t i = 0; i < ctx.state.entries.size(); ++i)
            if (ctx.state.entries[i].name() == name) return static_cast<int>(i);
        return -1;
    }
    void select(const std::string& name) {
        for (std::size_t i = 0; i < ctx.state.entries.size(); ++i)
            if (ctx.state.entries[i].name() == name) select_entry(ctx.state, i);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> listed;
        for (const ListingEntry& entry : ctx.state.entries) listed.emplace_back(entry.name());
        return listed;
    }
};

}  // namespace korvane::testing
