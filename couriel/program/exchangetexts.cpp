#include "couriel/program/exchangetexts.h"

namespace couriel {

namespace {

constexpr std::string_view kSection = "Exchange";

} // namespace

ExchangeTexts loadExchangeTexts(const common::LanguageTexts& texts) {
    const auto text = [&texts](std::string_view key) { return texts.text(kSection, key); };
    // A value loses its trailing blanks in the reading, so the blank before what follows a
    // status text is added here.
    const auto lead = [&text](std::string_view key) { return text(key) + " "; };
    ExchangeTexts loaded;
    loaded.application = text("Exchange");
    loaded.ready = text("Ready");
    loaded.send = text("Send");
    loaded.end = text("End");
    loaded.listen = text("Listen");
    loaded.wait = text("Wait");
    loaded.select = text("Select");
    loaded.noAddress = text("NoAddress");
    loaded.transfer.connectTo = lead("ConnectTo");
    loaded.transfer.disconnect = text("Disconnect");
    loaded.transfer.notSpace = text("NotSpace");
    loaded.transfer.notSent = lead("NotSent");
    loaded.transfer.notReceived = lead("NotReceived");
    return loaded;
}

} // namespace couriel
