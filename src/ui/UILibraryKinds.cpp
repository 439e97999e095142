// The library's own layout tags. Tags compare case-insensitively.
#include <algorithm>
#include <cctype>

#include "ui/UIBuilder.h"
#include "ui/UIButton.h"
#include "ui/UIColorPalette.h"
#include "ui/UICombo.h"
#include "ui/UIContainer.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UIList.h"
#include "ui/UIOption.h"
#include "ui/UIProgress.h"
#include "ui/UISlider.h"

namespace {

template <class T>
std::unique_ptr<CControlUI> Make() {
    return std::make_unique<T>();
}

struct LibraryKind {
    std::string_view tag;
    std::unique_ptr<CControlUI> (*create)();
};

constexpr LibraryKind kKinds[] = {
    {"Control", &Make<CControlUI>},
    {"Container", &Make<CContainerUI>},
    {"VerticalLayout", &Make<CVerticalLayoutUI>},
    {"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {"TabLayout", &Make<CTabLayoutUI>},
    {"Label", &Make<CLabelUI>},
    {"Text", &Make<CTextUI>},
    {"Button", &Make<CButtonUI>},
    {"Option", &Make<COptionUI>},
    {"CheckBox", &Make<CCheckBoxUI>},
    {"Progress", &Make<CProgressUI>},
    {"Slider", &Make<CSliderUI>},
    {"List", &Make<CListUI>},
    {"ListLabelElement", &Make<CListLabelElementUI>},
    {"ListTextElement", &Make<CListTextElementUI>},
    {"ListContainerElement", &Make<CListContainerElementUI>},
    {"Edit", &Make<CEditUI>},
    {"RichEdit", &Make<CRichEditUI>},
    {"Combo", &Make<CComboUI>},
    {"ColorPalette", &Make<CColorPaletteUI>},
};

bool SameTag(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::unique_ptr<CControlUI> CreateLibraryControl(std::string_view tag) {
    for (const LibraryKind& kind : kKinds) {
        if (SameTag(kind.tag, tag)) return kind.create();
    }
    return nullptr;
}
