#pragma once
// Turns a skin markup document into a control tree.
//
// The root element never becomes a control. With a manager, its declaration
// children (Image, Font, Default, MultiLanguage) fill the manager's tables and
// a root named Window passes its attributes to SetWindowAttribute. Every other
// child element becomes a control, built with its children, attached to its
// parent, then given the default attributes of its element name and its own
// attributes in document order. Include elements build another document into
// the current parent.

#include <memory>
#include <string>
#include <string_view>

#include "ui_toolkit/core/ControlUI.h"
#include "ui_toolkit/markup/MarkupDocument.h"

class PaintManager;

// Creates controls for element names the toolkit does not know.
class IDialogBuilderCallback {
public:
    virtual std::unique_ptr<CControlUI> CreateControl(std::wstring_view element) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class SkinBuilder {
public:
    // Markup text itself when `source` starts with '<', else the name of a
    // file read through the resource settings.
    bool Load(std::wstring_view source);
    // Executable resource `id` of `type`; the document's Include sources are
    // then resource numbers of the same type.
    bool Load(int id, std::string_view type);

    // Builds the loaded document with no parent: the first control created
    // from the root's children, which the caller owns. Further top-level
    // controls have nowhere to go and are deleted.
    std::unique_ptr<CControlUI> Build(IDialogBuilderCallback* callback, PaintManager* manager);
    // Builds the loaded document into `parent`, which owns what is built;
    // gives the first control created. Nothing is built when `parent` is not
    // a container.
    CControlUI* Build(IDialogBuilderCallback* callback, PaintManager* manager, CControlUI* parent);

    const MarkupDocument& GetMarkup() const { return m_markup; }

private:
    void ApplyDeclarations(const MarkupNode& root, PaintManager* manager) const;
    // Builds the children of `node`; with a parent they join it, without one
    // the first is kept in `detached`. Null when `parent` is not a container.
    CControlUI* BuildChildren(const MarkupNode& node, IDialogBuilderCallback* callback, PaintManager* manager,
                              CControlUI* parent, std::unique_ptr<CControlUI>* detached);
    void BuildInclude(const MarkupNode& node, IDialogBuilderCallback* callback, PaintManager* manager,
                      CControlUI* parent);
    CControlUI* BuildAll(IDialogBuilderCallback* callback, PaintManager* manager, CControlUI* parent,
                         std::unique_ptr<CControlUI>* detached);

    MarkupDocument m_markup;
    // Set when the document came from an executable resource.
    std::string m_resourceType;
};
