#pragma once
// Building control trees from XML layouts. Implemented in UIBuilder.cpp (parsing),
// UIFactory.cpp (the control factory) and UILibraryKinds.cpp (the library's tags).
//
// A tag is looked up case-insensitively: first among the library's own kinds
// ("Button", "VerticalLayout", ...), then among the classes registered with the
// control factory, then through the builder callback. A tag none of them knows
// yields no control; its element and children are skipped and the rest of the
// layout is built as usual.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/UIControl.h"

class CContainerUI;
class CPaintManagerUI;

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // A new control for `tag`, or null when the tag is not the callback's.
    virtual std::unique_ptr<CControlUI> CreateControl(std::string_view tag) = 0;
};

using ControlCreator = std::function<std::unique_ptr<CControlUI>()>;

// Process-wide name -> creator table for the program's own control classes.
class CControlFactory {
public:
    static CControlFactory& Instance();
    // Registering a name again replaces its creator. Names compare case-insensitively.
    void RegistControl(std::string_view name, ControlCreator creator);
    void UnregistControl(std::string_view name);
    bool IsRegistered(std::string_view name) const;
    // Null when the name is not registered or the creator returns none.
    std::unique_ptr<CControlUI> CreateControl(std::string_view name) const;

private:
    CControlFactory() = default;
    struct Entry {
        std::string name;
        ControlCreator creator;
    };
    std::vector<Entry> m_entries;
};

// The library's own kinds by tag; null for a tag that is not one of them.
std::unique_ptr<CControlUI> CreateLibraryControl(std::string_view tag);

class CDialogBuilder {
public:
    // `layout` is a resource id from the index, a file name (relative to the
    // resource path, '\' accepted) or XML text starting with '<'. `type` is kept for
    // callers that pass a resource type; files need none. With a manager, the
    // <Window> element's settings (size, caption, fonts, styles, default attributes)
    // go to it and controls can use its styles. Returns the root control, or null
    // when nothing could be built; problems are written to stderr, one line each.
    std::unique_ptr<CControlUI> Create(std::string_view layout, std::string_view type = {},
                                       IDialogBuilderCallback* callback = nullptr,
                                       CPaintManagerUI* manager = nullptr);
    // Builds every top-level control of `layout` into `parent`; returns the first.
    CControlUI* CreateInto(CContainerUI& parent, std::string_view layout,
                           IDialogBuilderCallback* callback = nullptr,
                           CPaintManagerUI* manager = nullptr);
    // The last problem found (empty when the last build was clean).
    const std::string& GetLastError() const { return m_lastError; }

    struct Context;  // inside the library

private:
    friend class CLayoutParser;
    std::unique_ptr<CControlUI> BuildFrom(std::string_view layout, Context& ctx);
    std::string m_lastError;
};
