// One received datagram exactly as the socket hands it to the chat: the framing's accept, the
// dispatch and the handler that reads its fields. Unlike fuzz_chat, which frames the bodies it
// is given, the fuzzer here mutates the scrambled bytes and the header themselves.
#include "tests/fakes/quietchat.h"
#include "tests/fakes/tempfolder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

// The chat's program folder, made once per run and removed at its end.
const std::string& folder() {
    static const TempFolder made;
    static const std::string path = made.folder();
    return path;
}

natterby::settings::Settings fuzzSettings() {
    natterby::settings::Settings settings;
    settings.nicks.current = "Ann";
    // A fuzzing run would grow the archive without end.
    settings.view.arhive = false;
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const natterby::protocol::ChatTexts texts;
    static const common::CodePage codePage("CP1251");
    // A fresh chat per input keeps runs repeatable: no header is remembered from the last.
    fakes::QuietChat quiet(texts, codePage, folder(), fuzzSettings());
    // Exactly the datagram's bytes on the heap, so that a read past its end is caught.
    const auto block = std::make_unique<char[]>(size);
    std::copy(data, data + size, block.get());
    quiet.chat.receive(std::span<char>(block.get(), size));
    return 0;
}
