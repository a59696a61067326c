#pragma once

// What the two chat fuzz targets share: the chat's program folder, the settings that let a
// message reach furthest, and the delivery of one datagram with nothing around it.
#include "natterby/protocol/chat.h"
#include "natterby/settings/settings.h"
#include "tests/fakes/tempfolder.h"

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace fuzzchat {

// The chat's program folder, made once per run and removed at its end: what the chat writes
// (its settings file) stays there.
inline const std::string& folder() {
    static const TempFolder made;
    static const std::string path = made.folder();
    return path;
}

// Every switch that lets a message reach further is on, but the archive: a fuzzing run would
// grow it without end.
inline natterby::settings::Settings settings() {
    natterby::settings::Settings settings;
    settings.nicks.current = "Ann";
    settings.execute.razresh = true;
    settings.view.arhive = false;
    settings.view.balloonShow = true;
    return settings;
}

// Exactly the datagram's bytes on the heap, so that a read past its end is caught.
inline void deliver(natterby::protocol::Chat& chat, std::string_view datagram) {
    const auto block = std::make_unique<char[]>(datagram.size());
    std::copy(datagram.begin(), datagram.end(), block.get());
    chat.receive(std::span<char>(block.get(), datagram.size()));
}

} // namespace fuzzchat
