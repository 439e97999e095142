#pragma once
// The button class of the macro recording buttons.
#include "ui/UIButton.h"

class CRedioMacroButtonUI : public CButtonUI {
public:
    std::string_view GetClass() const override { return "RedioMacroButtonUI"; }
};
