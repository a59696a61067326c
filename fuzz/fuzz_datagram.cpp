// One received datagram exactly as the socket hands it to the chat: the framing's accept, the
// dispatch and the handler that reads its fields. Unlike fuzz_chat, which frames the bodies it
// is given, the fuzzer here mutates the scrambled bytes and the header themselves.
#include "fuzz/fuzzchat.h"
#include "tests/fakes/quietchat.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const natterby::protocol::ChatTexts texts;
    static const common::CodePage codePage("CP1251");
    // A fresh chat per input keeps runs repeatable: no header is remembered from the last.
    fakes::QuietChat quiet(texts, codePage, fuzzchat::folder(), fuzzchat::settings());
    fuzzchat::deliver(quiet.chat, std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
