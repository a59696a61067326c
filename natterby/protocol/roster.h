#pragma once

#include "common/ansi.h"

#include <string>
#include <string_view>
#include <vector>

namespace natterby::protocol {

// One peer in the nick list.
struct RosterRow {
    std::string nick;
    char status = '0'; // the icon: '0' Available .. '3' Offline
    // 4 + 2 x (member of the current tab's channel) + (main window shown).
    int stateImage = 4;
};

// The nick list beside the chat, as the peers announced themselves in the last refresh.
//
// Rows are ordered by the first three bytes of their nicks, and two nicks that share them
// compare as "greater" both ways. That comparison is not a strict weak ordering, so no sorting
// algorithm that relies on one may be given it; rows are instead inserted in place: a new row
// goes before the first row whose prefix is greater than its own, which keeps the list ordered
// by prefix and nicks with a common prefix in the order they came.
class Roster {
public:
    // Nicks are found in the code page's letters.
    explicit Roster(const common::CodePage& codePage) : codePage_(codePage) {}

    const std::vector<RosterRow>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }

    // The first row whose nick equals the given one without regard to case, as the system's
    // list view finds a caption; -1 for none.
    int find(std::string_view nick) const;
    RosterRow& row(int index) { return rows_[static_cast<std::size_t>(index)]; }
    const RosterRow& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }

    // Adds the row in its place; returns its index.
    int add(RosterRow row);
    void remove(int index);
    void clear() { rows_.clear(); }
    // Moves one row (after its nick changed) to its place.
    void reposition(int index);

    // Whether a's nick sorts before b's: the first three bytes compared as unsigned bytes,
    // shorter nicks padded with nothing (a shorter prefix of the other is smaller).
    static bool sortsBefore(std::string_view a, std::string_view b);

private:
    const common::CodePage& codePage_;
    std::vector<RosterRow> rows_;
};

} // namespace natterby::protocol
