#pragma once
// The area of a device picture over which key buttons are selected by dragging a
// rectangle; the dragging itself comes with the key panels.
#include "ui/UIContainer.h"

class CSelectPanelUI : public CVerticalLayoutUI {
public:
    std::string_view GetClass() const override { return "SelectPanelUI"; }
};
