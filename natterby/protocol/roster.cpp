#include "natterby/protocol/roster.h"

#include <algorithm>

namespace natterby::protocol {

namespace {

constexpr std::size_t kSortPrefix = 3;

} // namespace

bool Roster::sortsBefore(std::string_view a, std::string_view b) {
    const std::string_view left = a.substr(0, kSortPrefix);
    const std::string_view right = b.substr(0, kSortPrefix);
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
}

int Roster::find(std::string_view nick) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (codePage_.sameIgnoringCase(rows_[i].nick, nick)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int Roster::add(RosterRow row) {
    const auto place = std::find_if(rows_.begin(), rows_.end(), [&](const RosterRow& existing) {
        return sortsBefore(row.nick, existing.nick);
    });
    const auto inserted = rows_.insert(place, std::move(row));
    return static_cast<int>(inserted - rows_.begin());
}

void Roster::remove(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < rows_.size()) {
        rows_.erase(rows_.begin() + index);
    }
}

void Roster::reposition(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size()) {
        return;
    }
    RosterRow row = std::move(rows_[static_cast<std::size_t>(index)]);
    rows_.erase(rows_.begin() + index);
    add(std::move(row));
}

} // namespace natterby::protocol
