#pragma once
// The button class of the macro recording buttons; "redioimage" names the image shown
// while a recording runs.
#include <string>

#include "ui/UIButton.h"

class CRedioMacroButtonUI : public CButtonUI {
public:
    std::string_view GetClass() const override { return "RedioMacroButtonUI"; }
    const std::string& GetRecordImage() const { return m_recordImage; }
    void SetAttribute(std::string_view name, std::string_view value) override {
        if (name == "redioimage")
            m_recordImage = value;
        else
            CButtonUI::SetAttribute(name, value);
    }

private:
    std::string m_recordImage;
};
