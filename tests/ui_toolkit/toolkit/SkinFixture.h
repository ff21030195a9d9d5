#pragma once
// One headless window with its manager, a skin built into it from markup and
// laid out by a first paint.

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "platform/TextConversion.h"
#include "ui_toolkit/builder/SkinBuilder.h"
#include "ui_toolkit/host/HeadlessWindow.h"
#include "ui_toolkit/host/PaintManagerClient.h"
#include "ui_toolkit/manager/PaintManager.h"

class SkinFixture {
public:
    explicit SkinFixture(int width = 680, int height = 440) : window(width, height), client(manager) {
        window.SetClient(&client);
        manager.Init(&window);
    }

    // Builds `markup`, attaches the tree and paints once.
    CControlUI* Show(std::wstring_view markup, IDialogBuilderCallback* callback = nullptr) {
        SkinBuilder builder;
        EXPECT_TRUE(builder.Load(markup)) << "markup does not parse";
        return Show(builder.Build(callback, &manager));
    }

    CControlUI* Show(std::unique_ptr<CControlUI> root) {
        CControlUI* shown = root.get();
        manager.AttachRoot(std::move(root));
        window.RunPending();
        return shown;
    }

    CControlUI* Find(std::wstring_view name) {
        CControlUI* control = manager.FindControl(name);
        EXPECT_NE(control, nullptr) << "no control named " << platform::ToUtf8(name);
        return control;
    }

    UiRect Pos(std::wstring_view name) {
        CControlUI* control = Find(name);
        return control != nullptr ? control->GetPos() : UiRect{};
    }

    HeadlessWindow window;
    PaintManager manager;
    PaintManagerClient client;
};

inline std::ostream& operator<<(std::ostream& out, const UiRect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
