#pragma once

#include "natterby/session/session.h"
#include "tests/fakes/seams.h"
#include "tests/fakes/tempfolder.h"

#include <random>
#include <string>

namespace fakes {

// Everything a session is built from, as fakes over a program folder of its own whose settings
// file the test writes before the session starts.
struct SessionFakes {
    // messageFolder: where the endpoint for Couriel's notices goes; empty for none.
    natterby::session::SessionSeams seams(natterby::session::Transports* transports,
                                          const std::string& messageFolder = {}) {
        return {settings,        settingsFile,
                texts,           sound,
                launcher,        host,
                clock,           [this](int bound) { return static_cast<int>(random() % bound); },
                codePage,        folder.folder(),
                folder.folder(), messageFolder,
                transports};
    }

    TempFolder folder;
    natterby::settings::Settings settings;
    common::ProfileFile settingsFile{folder.file("Interf.ini")};
    natterby::protocol::ChatTexts texts;
    RecordingSound sound;
    RecordingLauncher launcher;
    FixedHost host;
    FixedClock clock;
    common::CodePage codePage{"CP1251"};
    std::mt19937 random{7};
};

} // namespace fakes
