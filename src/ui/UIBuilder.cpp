// CDialogBuilder: XML layouts to control trees.
#include "ui/UIBuilder.h"

#include <QFile>
#include <QXmlStreamReader>
#include <iostream>

#include "platform/Platform.h"
#include "ui/UIContainer.h"
#include "ui/UIControlPrivate.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"

namespace {

constexpr int kMaxIncludeDepth = 8;

bool IsTag(const QXmlStreamReader& xml, const char* tag) {
    return xml.name().compare(QLatin1String(tag), Qt::CaseInsensitive) == 0;
}

std::string Attr(const QXmlStreamReader& xml, const char* name) {
    return FromQString(xml.attributes().value(QLatin1String(name)).toString());
}

bool LooksLikeXmlText(std::string_view layout) {
    const auto first = layout.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && layout[first] == '<';
}

}  // namespace

struct CDialogBuilder::Context {
    IDialogBuilderCallback* callback = nullptr;
    CPaintManagerUI* manager = nullptr;
    std::string source;  // file name or "<text>", for messages
    int depth = 0;
};

// Reads one layout document; builds controls as it goes, so a broken document still
// gives everything before the break.
class CLayoutParser {
public:
    CLayoutParser(QXmlStreamReader& xml, CDialogBuilder::Context& ctx, std::string& error)
        : m_xml(xml), m_ctx(ctx), m_error(error) {}

    std::unique_ptr<CControlUI> ParseDocument() {
        std::unique_ptr<CControlUI> root;
        if (m_xml.readNextStartElement()) {
            if (IsTag(m_xml, "Window"))
                root = ParseWindow();
            else
                root = ParseControl();
        }
        if (m_xml.hasError()) ReportError();
        return root;
    }

private:
    std::unique_ptr<CControlUI> ParseWindow() {
        ApplyWindowAttributes();
        std::unique_ptr<CControlUI> root;
        while (m_xml.readNextStartElement()) {
            if (IsTag(m_xml, "Font"))
                ParseFont();
            else if (IsTag(m_xml, "Default"))
                ParseDefault();
            else if (IsTag(m_xml, "Style"))
                ParseStyle();
            else if (!root)
                root = ParseControl();
            else
                m_xml.skipCurrentElement();
        }
        return root;
    }

    void ApplyWindowAttributes() {
        CPaintManagerUI* pm = m_ctx.manager;
        if (!pm) return;
        for (const auto& a : m_xml.attributes()) {
            const std::string name = FromQString(a.name().toString());
            const std::string value = FromQString(a.value().toString());
            const UISize size = ParseUISize(value);
            if (name == "size")
                pm->SetInitSize(size.cx, size.cy);
            else if (name == "caption")
                pm->SetCaptionRect(ParseUIRect(value));
            else if (name == "mininfo")
                pm->SetMinInfo(size.cx, size.cy);
            else if (name == "maxinfo")
                pm->SetMaxInfo(size.cx, size.cy);
            else if (name == "roundcorner")
                pm->SetRoundCorner(size.cx, size.cy);
        }
    }

    void ParseFont() {
        if (CPaintManagerUI* pm = m_ctx.manager) {
            const std::string face = Attr(m_xml, "name");
            const int size = ParseUISize(Attr(m_xml, "size")).cx;
            const bool bold = ParseUIBool(Attr(m_xml, "bold"));
            const bool underline = ParseUIBool(Attr(m_xml, "underline"));
            const bool italic = ParseUIBool(Attr(m_xml, "italic"));
            const bool shared = ParseUIBool(Attr(m_xml, "shared"));
            const std::string id = Attr(m_xml, "id");
            if (!id.empty())
                pm->AddFont(ParseUISize(id).cx, face, size, bold, underline, italic, shared);
            if (ParseUIBool(Attr(m_xml, "default")))
                pm->SetDefaultFont(face, size, bold, underline, italic, shared);
        }
        m_xml.skipCurrentElement();
    }

    void ParseDefault() {
        if (m_ctx.manager)
            m_ctx.manager->AddDefaultAttributeList(Attr(m_xml, "name"), Attr(m_xml, "value"),
                                                   ParseUIBool(Attr(m_xml, "shared")));
        m_xml.skipCurrentElement();
    }

    void ParseStyle() {
        if (m_ctx.manager)
            m_ctx.manager->AddStyle(Attr(m_xml, "name"), Attr(m_xml, "value"),
                                    ParseUIBool(Attr(m_xml, "shared")));
        m_xml.skipCurrentElement();
    }

    std::unique_ptr<CControlUI> CreateByTag(const std::string& tag) {
        if (auto control = CreateLibraryControl(tag)) return control;
        if (auto control = CControlFactory::Instance().CreateControl(tag)) return control;
        if (m_ctx.callback) return m_ctx.callback->CreateControl(tag);
        return nullptr;
    }

    // At a start element: the control it describes with its children, or null.
    std::unique_ptr<CControlUI> ParseControl() {
        const std::string tag = FromQString(m_xml.name().toString());
        std::unique_ptr<CControlUI> control = CreateByTag(tag);
        if (!control) {
            DebugOutput("ui: no control for tag <" + tag + "> in " + m_ctx.source + "\n");
            m_xml.skipCurrentElement();
            return nullptr;
        }
        ApplyAttributes(*control, tag);
        auto* container = dynamic_cast<CContainerUI*>(control.get());
        while (m_xml.readNextStartElement()) {
            if (!container) {
                m_xml.skipCurrentElement();
            } else if (IsTag(m_xml, "Include")) {
                ParseInclude(*container);
            } else if (auto child = ParseControl()) {
                container->Add(std::move(child));
            }
        }
        return control;
    }

    void ApplyAttributes(CControlUI& control, const std::string& tag) {
        CPaintManagerUI* pm = m_ctx.manager;
        if (pm) control.ApplyAttributeList(pm->GetDefaultAttributeList(tag));
        for (const auto& a : m_xml.attributes()) {
            const std::string name = FromQString(a.name().toString());
            const std::string value = FromQString(a.value().toString());
            if (name == "style") {
                if (pm) control.ApplyAttributeList(pm->GetStyle(value));
            } else {
                control.SetAttribute(name, value);
            }
        }
    }

    void ParseInclude(CContainerUI& parent) {
        const std::string source = Attr(m_xml, "source");
        const std::string countText = Attr(m_xml, "count");
        const int count = countText.empty() ? 1 : ParseUISize(countText).cx;
        m_xml.skipCurrentElement();
        if (m_ctx.depth >= kMaxIncludeDepth) {
            std::cerr << "ui: " << m_ctx.source << ": includes nested too deeply at " << source
                      << "\n";
            return;
        }
        for (int i = 0; i < count; ++i) {
            CDialogBuilder nested;
            CDialogBuilder::Context ctx{m_ctx.callback, m_ctx.manager, {}, m_ctx.depth + 1};
            if (auto child = nested.BuildFrom(source, ctx)) parent.Add(std::move(child));
        }
    }

    void ReportError() {
        m_error = m_ctx.source + ":" + std::to_string(m_xml.lineNumber()) + ":" +
                  std::to_string(m_xml.columnNumber()) + ": " + FromQString(m_xml.errorString());
        std::cerr << "ui: " << m_error << "\n";
    }

    QXmlStreamReader& m_xml;
    CDialogBuilder::Context& m_ctx;
    std::string& m_error;
};

std::unique_ptr<CControlUI> CDialogBuilder::Create(std::string_view layout, std::string_view,
                                                   IDialogBuilderCallback* callback,
                                                   CPaintManagerUI* manager) {
    Context ctx{callback, manager, {}, 0};
    return BuildFrom(layout, ctx);
}

CControlUI* CDialogBuilder::CreateInto(CContainerUI& parent, std::string_view layout,
                                       IDialogBuilderCallback* callback, CPaintManagerUI* manager) {
    return parent.Add(Create(layout, {}, callback, manager));
}

std::unique_ptr<CControlUI> CDialogBuilder::BuildFrom(std::string_view layout, Context& ctx) {
    m_lastError.clear();
    if (layout.empty()) {
        m_lastError = "no layout named";
        std::cerr << "ui: " << m_lastError << "\n";
        return nullptr;
    }
    QByteArray data;
    if (LooksLikeXmlText(layout)) {
        ctx.source = "<layout text>";
        data = QByteArray(layout.data(), static_cast<qsizetype>(layout.size()));
    } else {
        ctx.source = CResourceManager::Instance().ResolvePath(layout);
        QFile file(ToQString(ctx.source));
        if (!file.open(QIODevice::ReadOnly)) {
            m_lastError = "cannot open " + ctx.source;
            std::cerr << "ui: " << m_lastError << "\n";
            return nullptr;
        }
        data = file.readAll();
    }
    QXmlStreamReader xml(data);
    CLayoutParser parser(xml, ctx, m_lastError);
    return parser.ParseDocument();
}
