// Notification tables: lookup order within a table, across a class chain and
// through virtual windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_toolkit/core/ControlUI.h"
#include "ui_toolkit/manager/NotifyPump.h"

namespace {

class BaseWindow : public CNotifyPump {
public:
    BaseWindow() {
        NotifyTable& table = AddNotifyTable();
        table.On(L"click", L"", [this](Notification&) { handled.push_back("base any click"); });
        table.On(L"click", L"closebtn", [this](Notification&) { handled.push_back("base closebtn"); });
        table.On(L"timer", L"", [this](std::uintptr_t w, std::intptr_t l) {
            handled.push_back("base timer " + std::to_string(w) + "," + std::to_string(l));
        });
    }
    std::vector<std::string> handled;
};

class DerivedWindow : public BaseWindow {
public:
    DerivedWindow() {
        NotifyTable& table = AddNotifyTable();
        table.On(L"click", L"btn_install", [this](Notification&) { handled.push_back("derived install"); });
        table.On(L"click", L"", [this](Notification&) { handled.push_back("derived first any"); });
        table.On(L"click", L"", [this](Notification&) { handled.push_back("derived last any"); });
    }
};

class Page : public CNotifyPump {
public:
    Page() {
        AddNotifyTable().On(L"click", L"", [this](Notification&) { handled.push_back("page"); });
    }
    std::vector<std::string> handled;
};

Notification Make(std::wstring_view type, CControlUI* sender, std::wstring_view virtualWindow = {}) {
    Notification n;
    n.type = type;
    n.sender = sender;
    n.virtualWindow = virtualWindow;
    return n;
}

TEST(NotifyPumpTest, MostDerivedTableFirstExactNameBeforeTheLastAnyEntry) {
    DerivedWindow window;
    CControlUI install, close, other;
    install.SetName(L"btn_install");
    close.SetName(L"closebtn");
    other.SetName(L"other");

    struct Case {
        CControlUI* sender;
        std::wstring type;
        bool handled;
        std::string by;
    };
    const Case cases[] = {
        {&install, L"click", true, "derived install"},
        // The derived table matches any click, so the base's closebtn entry is never reached.
        {&close, L"click", true, "derived last any"},
        {&other, L"click", true, "derived last any"},
        {&other, L"selectchanged", false, ""},
    };
    for (const Case& c : cases) {
        window.handled.clear();
        Notification n = Make(c.type, c.sender);
        EXPECT_EQ(window.NotifyPump(n), c.handled);
        EXPECT_EQ(window.handled, c.by.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.by});
    }
}

TEST(NotifyPumpTest, BaseTableHandlesWhatTheDerivedOneLacksWithParameters) {
    DerivedWindow window;
    CControlUI sender;
    Notification n = Make(L"timer", &sender);
    n.wParam = 7;
    n.lParam = 9;
    EXPECT_TRUE(window.NotifyPump(n));
    EXPECT_EQ(window.handled, (std::vector<std::string>{"base timer 7,9"}));

    BaseWindow base;
    CControlUI close;
    close.SetName(L"closebtn");
    Notification click = Make(L"click", &close);
    base.NotifyPump(click);
    EXPECT_EQ(base.handled, (std::vector<std::string>{"base closebtn"}));
}

TEST(NotifyPumpTest, VirtualWindowTablesComeFirstIgnoringCase) {
    DerivedWindow window;
    Page page;
    ASSERT_TRUE(window.AddVirtualWnd(L"Banner", &page));
    EXPECT_FALSE(window.AddVirtualWnd(L"banner", &page));
    CControlUI sender;
    Notification n = Make(L"click", &sender, L"BANNER");
    EXPECT_TRUE(window.NotifyPump(n));
    EXPECT_EQ(page.handled, (std::vector<std::string>{"page"}));
    EXPECT_TRUE(window.handled.empty());

    EXPECT_TRUE(window.RemoveVirtualWnd(L"BANNER"));
    EXPECT_TRUE(window.NotifyPump(n));
    EXPECT_EQ(window.handled, (std::vector<std::string>{"derived last any"}));
}

}  // namespace
