#pragma once

#include "common/texts.h"
#include "couriel/transfer/transferview.h"

#include <string>

namespace couriel {

// The texts of the exchange window, from section Exchange of the language file, in the ANSI
// code page.
struct ExchangeTexts {
    // The caption of every message box.
    std::string application;
    std::string ready;
    std::string send;
    // The window's title once the transfer is over.
    std::string end;
    std::string listen;
    // The window's title on the receiving and on the sending side.
    std::string wait;
    std::string select;
    // The status line when the chat could not say where the receiver is.
    std::string noAddress;
    TransferTexts transfer;
};

ExchangeTexts loadExchangeTexts(const common::LanguageTexts& texts);

} // namespace couriel
