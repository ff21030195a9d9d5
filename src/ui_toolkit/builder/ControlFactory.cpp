#include "ui_toolkit/builder/ControlFactory.h"

#include <vector>

#include "ui_toolkit/controls/ButtonUI.h"
#include "ui_toolkit/controls/CheckBoxUI.h"
#include "ui_toolkit/controls/EditUI.h"
#include "ui_toolkit/controls/GifAnimUI.h"
#include "ui_toolkit/controls/LabelUI.h"
#include "ui_toolkit/controls/OptionUI.h"
#include "ui_toolkit/controls/ProgressUI.h"
#include "ui_toolkit/controls/TextUI.h"
#include "ui_toolkit/core/ContainerUI.h"
#include "ui_toolkit/core/HorizontalLayoutUI.h"
#include "ui_toolkit/core/TabLayoutUI.h"
#include "ui_toolkit/core/TextCompare.h"
#include "ui_toolkit/core/VerticalLayoutUI.h"

namespace {

template <typename T>
std::unique_ptr<CControlUI> Make() {
    return std::make_unique<T>();
}

struct ElementClass {
    std::wstring_view element;
    std::unique_ptr<CControlUI> (*create)();
};

// Element names of classes this toolkit does not build (lists, trees, rich
// edit, ...) stay out of the table and create nothing, like unknown names.
constexpr ElementClass kElements[] = {
    {L"Control", &Make<CControlUI>},
    {L"Container", &Make<CContainerUI>},
    {L"VerticalLayout", &Make<CVerticalLayoutUI>},
    {L"VBox", &Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {L"HBox", &Make<CHorizontalLayoutUI>},
    {L"TabLayout", &Make<CTabLayoutUI>},
    {L"Label", &Make<CLabelUI>},
    {L"Text", &Make<CTextUI>},
    {L"Button", &Make<CButtonUI>},
    {L"Option", &Make<COptionUI>},
    {L"CheckBox", &Make<CCheckBoxUI>},
    {L"Edit", &Make<CEditUI>},
    {L"Progress", &Make<CProgressUI>},
};

std::vector<ControlFactoryHook>& Hooks() {
    static std::vector<ControlFactoryHook> hooks;
    return hooks;
}

}  // namespace

std::unique_ptr<CControlUI> CreateControlForElement(std::wstring_view element) {
    // The one name that must be written exactly.
    if (element == L"GifAnim") return std::make_unique<CGifAnimUI>();
    for (const ElementClass& entry : kElements) {
        if (EqualsIgnoringCase(entry.element, element)) return entry.create();
    }
    return nullptr;
}

void AddControlFactoryHook(ControlFactoryHook hook) { Hooks().push_back(std::move(hook)); }

void RemoveAllControlFactoryHooks() { Hooks().clear(); }

std::unique_ptr<CControlUI> CreateControlFromHooks(std::wstring_view element) {
    for (const ControlFactoryHook& hook : Hooks()) {
        if (std::unique_ptr<CControlUI> control = hook(element)) return control;
    }
    return nullptr;
}
