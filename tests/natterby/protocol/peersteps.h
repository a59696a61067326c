#pragma once

#include "tests/fakes/lan.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace fakes {

// Every peer joins "#Main" as at start, and the joins are delivered.
inline void startInMain(Lan& lan, std::initializer_list<Peer*> peers) {
    for (Peer* peer : peers) {
        peer->chat.joinAtStart("#Main");
    }
    lan.run();
}

inline std::vector<std::string> rosterNicks(const Peer& peer) {
    std::vector<std::string> nicks;
    for (const auto& row : peer.chat.roster().rows()) {
        nicks.push_back(row.nick);
    }
    return nicks;
}

// The state image of the nick's row; 0 when there is none.
inline int stateImage(const Peer& peer, std::string_view nick) {
    const int row = peer.chat.roster().find(nick);
    return row < 0 ? 0 : peer.chat.roster().row(row).stateImage;
}

} // namespace fakes
