#pragma once

#include "common/ansi.h"
#include "natterby/protocol/chattexts.h"
#include "natterby/protocol/chatview.h"

#include <QWidget>

namespace natterby::windows {

// What another user's copy said about its computer: nick, computer and user name, address,
// open channels and auto-answer. Every answer gets a window of its own, which deletes itself
// when closed.
class InformationWindow : public QWidget {
public:
    InformationWindow(const protocol::ChatTexts& texts, const common::CodePage& codePage,
                      const protocol::InformationAnswer& answer, QWidget* parent = nullptr);
};

} // namespace natterby::windows
