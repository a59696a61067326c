#pragma once

#include "natterby/windows/windowcontext.h"
#include "tests/fakes/lan.h"
#include "tests/fakes/qtapplication.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>

// Ann's windows over an in-memory LAN on which Bob, Cy and Dan also run.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() { fakes::qtApplication(); }
    ~WindowTest() override {
        QList<QPointer<QWidget>> windows;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            windows.append(window);
        }
        qDeleteAll(windows);
    }

    natterby::windows::WindowContext context() {
        return {ann.chat,
                ann.texts,
                ann.codePage,
                ann.settings.position.privateWindow,
                ann.launcher,
                {},
                [this] { ++layoutSwitches; }};
    }

    template <typename Widget> static Widget* child(const QWidget* window, const char* name) {
        auto* found = window->findChild<Widget*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    fakes::Lan lan;
    fakes::Peer& ann = lan.add("Ann");
    fakes::Peer& bob = lan.add("Bob");
    fakes::Peer& cy = lan.add("Cy");
    fakes::Peer& dan = lan.add("Dan");
    int layoutSwitches = 0;
};
