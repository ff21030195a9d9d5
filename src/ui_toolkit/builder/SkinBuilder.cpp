#include "ui_toolkit/builder/SkinBuilder.h"

#include <vector>

#include "ui_toolkit/builder/ControlFactory.h"
#include "ui_toolkit/core/AttributeValues.h"
#include "ui_toolkit/core/ContainerUI.h"
#include "ui_toolkit/core/ResourceFile.h"
#include "ui_toolkit/core/TextCompare.h"
#include "ui_toolkit/core/TextSubstitution.h"
#include "ui_toolkit/manager/PaintManager.h"

namespace {

constexpr std::size_t kMaxIncludeSourceLength = 499;
constexpr std::size_t kMaxCoverLength = 255;
constexpr int kDefaultFontSize = 12;

bool IsTrue(std::wstring_view value) { return EqualsIgnoringCase(value, L"true"); }

bool IsDeclaration(std::wstring_view element) {
    return EqualsIgnoringCase(element, L"Image") || EqualsIgnoringCase(element, L"Font") ||
           EqualsIgnoringCase(element, L"Default") || EqualsIgnoringCase(element, L"MultiLanguage");
}

}  // namespace

bool SkinBuilder::Load(std::wstring_view source) {
    m_resourceType.clear();
    if (!source.empty() && source[0] == L'<') return m_markup.LoadFromString(source);
    return m_markup.LoadFromFile(source);
}

bool SkinBuilder::Load(int id, std::string_view type) {
    m_resourceType = type;
    std::vector<std::uint8_t> bytes;
    if (!ReadExecutableResource(id, type, &bytes)) {
        m_markup.LoadFromString(L"");
        return false;
    }
    return m_markup.LoadFromMemory(bytes.data(), bytes.size());
}

std::unique_ptr<CControlUI> SkinBuilder::Build(IDialogBuilderCallback* callback, PaintManager* manager) {
    std::unique_ptr<CControlUI> first;
    BuildAll(callback, manager, nullptr, &first);
    return first;
}

CControlUI* SkinBuilder::Build(IDialogBuilderCallback* callback, PaintManager* manager, CControlUI* parent) {
    return BuildAll(callback, manager, parent, nullptr);
}

CControlUI* SkinBuilder::BuildAll(IDialogBuilderCallback* callback, PaintManager* manager, CControlUI* parent,
                                  std::unique_ptr<CControlUI>* detached) {
    const MarkupNode root = m_markup.GetRoot();
    if (!root.IsValid()) return nullptr;
    if (manager != nullptr) {
        ApplyDeclarations(root, manager);
        if (EqualsIgnoringCase(root.GetName(), L"Window") && manager->GetPaintWindow() != nullptr) {
            for (std::size_t i = 0; i < root.GetAttributeCount(); ++i) {
                manager->SetWindowAttribute(root.GetAttributeName(i), root.GetAttributeValue(i));
            }
        }
    }
    return BuildChildren(root, callback, manager, parent, detached);
}

void SkinBuilder::ApplyDeclarations(const MarkupNode& root, PaintManager* manager) const {
    for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const std::wstring_view element = node.GetName();
        if (EqualsIgnoringCase(element, L"Image")) {
            const std::wstring_view name = node.GetAttributeValue(L"name");
            if (name.empty()) continue;
            manager->AddImage(name, node.GetAttributeValue(L"restype"), ParseColor(node.GetAttributeValue(L"mask")),
                              false, IsTrue(node.GetAttributeValue(L"shared")));
        } else if (EqualsIgnoringCase(element, L"Font")) {
            const int id = node.HasAttribute(L"id") ? ParseInt(node.GetAttributeValue(L"id")) : -1;
            const std::wstring_view face = node.GetAttributeValue(L"name");
            if (id < 0 || !node.HasAttribute(L"name")) continue;
            const int size = node.HasAttribute(L"size") ? ParseInt(node.GetAttributeValue(L"size")) : kDefaultFontSize;
            const bool bold = IsTrue(node.GetAttributeValue(L"bold"));
            const bool underline = IsTrue(node.GetAttributeValue(L"underline"));
            const bool italic = IsTrue(node.GetAttributeValue(L"italic"));
            const bool shared = IsTrue(node.GetAttributeValue(L"shared"));
            manager->AddFont(id, face, size, bold, underline, italic, shared);
            if (IsTrue(node.GetAttributeValue(L"default"))) {
                manager->SetDefaultFont(face, size, bold, underline, italic, shared);
            }
        } else if (EqualsIgnoringCase(element, L"Default")) {
            const std::wstring_view name = node.GetAttributeValue(L"name");
            if (name.empty()) continue;
            manager->AddDefaultAttributeList(name, node.GetAttributeValue(L"value"),
                                             IsTrue(node.GetAttributeValue(L"shared")));
        } else if (EqualsIgnoringCase(element, L"MultiLanguage")) {
            const int id = node.HasAttribute(L"id") ? ParseInt(node.GetAttributeValue(L"id")) : -1;
            if (id >= 0) SetMultiLanguageText(id, node.GetAttributeValue(L"value"));
        }
    }
}

void SkinBuilder::BuildInclude(const MarkupNode& node, IDialogBuilderCallback* callback, PaintManager* manager,
                               CControlUI* parent) {
    if (!node.HasAttributes()) return;
    const int count = node.HasAttribute(L"count") ? ParseInt(node.GetAttributeValue(L"count")) : 1;
    std::wstring source;
    if (!node.GetAttributeValue(L"source", kMaxIncludeSourceLength, &source)) return;

    // One builder for every repetition: the document is read and parsed once.
    SkinBuilder included;
    const bool loaded = m_resourceType.empty() ? included.Load(source)
                                               : included.Load(ParseInt(source), m_resourceType);
    if (!loaded) return;
    for (int i = 0; i < count; ++i) {
        if (parent != nullptr) {
            included.Build(callback, manager, parent);
        } else {
            included.Build(callback, manager);
        }
    }
}

CControlUI* SkinBuilder::BuildChildren(const MarkupNode& node, IDialogBuilderCallback* callback,
                                       PaintManager* manager, CControlUI* parent,
                                       std::unique_ptr<CControlUI>* detached) {
    CControlUI* first = nullptr;
    for (MarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
        const std::wstring_view element = child.GetName();
        if (IsDeclaration(element)) continue;
        if (EqualsIgnoringCase(element, L"Include")) {
            BuildInclude(child, callback, manager, parent);
            continue;
        }

        std::unique_ptr<CControlUI> created = CreateControlForElement(element);
        if (created == nullptr) created = CreateControlFromHooks(element);
        if (created == nullptr && callback != nullptr) created = callback->CreateControl(element);
        if (created == nullptr) continue;
        CControlUI* control = created.get();

        if (child.HasChildren()) BuildChildren(child, callback, manager, control, nullptr);

        if (parent != nullptr) {
            std::wstring cover;
            if (child.GetAttributeValue(L"cover", kMaxCoverLength, &cover) && cover == L"true") {
                parent->SetCover(std::move(created));
            } else {
                auto* container = static_cast<IContainerUI*>(parent->CastTo(L"IContainer"));
                if (container == nullptr) return nullptr;
                if (!container->Add(std::move(created))) continue;
            }
        }

        // Attributes may depend on the manager (pictures, option groups); a
        // control that joined an attached parent stays attached afterwards.
        PaintManager* attached = control->GetManager();
        if (manager != nullptr) {
            control->SetManager(manager, control->GetParent(), false);
            if (const std::wstring* defaults = manager->GetDefaultAttributeList(element)) {
                control->ApplyAttributes(*defaults);
            }
        }
        for (std::size_t i = 0; i < child.GetAttributeCount(); ++i) {
            control->SetAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
        }
        if (manager != nullptr) control->SetManager(attached, control->GetParent(), false);

        if (first == nullptr) {
            first = control;
            if (parent == nullptr && detached != nullptr) *detached = std::move(created);
        }
    }
    return first;
}
