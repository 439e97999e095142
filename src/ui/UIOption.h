#pragma once
// COptionUI (radio-like in a group, toggle without one) and CCheckBoxUI.
// Implemented in UIOption.cpp by the control-kinds helper.
#include "ui/UIButton.h"

// What an option draws beside its text when it has no images of its own: nothing
// (a pill whose colours show the state), a round radio mark or a square check mark.
// Auto picks None when status images or a selected background colour are given,
// Radio for an option in a group and Check otherwise.
enum class OptionIndicator { Auto, None, Radio, Check };

class COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;  // leaves its group
    std::string_view GetClass() const override;

    // Options sharing a group name within one window are exclusive.
    const std::string& GetGroup() const { return m_group; }
    void SetGroup(std::string_view group);
    bool IsSelected() const { return m_selected; }
    // Setters are silent unless asked: `notify` sends "selectchanged".
    virtual void Selected(bool selected, bool notify = false);
    // A user click: sends "click", then selects (in a group) or toggles, notifying.
    bool Activate() override;

    const std::string& GetSelectedImage() const { return m_selectedImage; }
    void SetSelectedImage(std::string_view image);
    const std::string& GetSelectedHotImage() const { return m_selectedHotImage; }
    void SetSelectedHotImage(std::string_view image);
    const std::string& GetSelectedDisabledImage() const { return m_selectedDisabledImage; }
    void SetSelectedDisabledImage(std::string_view image);
    const std::string& GetSelectedForeImage() const { return m_selectedForeImage; }
    void SetSelectedForeImage(std::string_view image);
    UIColor GetSelectedBkColor() const { return m_selectedBkColor; }
    void SetSelectedBkColor(UIColor color);
    UIColor GetSelectedTextColor() const { return m_selectedTextColor; }
    void SetSelectedTextColor(UIColor color);
    UIColor GetSelectedBorderColor() const { return m_selectedBorderColor; }
    void SetSelectedBorderColor(UIColor color);
    OptionIndicator GetIndicator() const { return m_indicator; }
    void SetIndicator(OptionIndicator indicator);

    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintStatusImage(CRenderContext& ctx) override;
    void PaintForeImage(CRenderContext& ctx) override;
    void PaintText(CRenderContext& ctx) override;
    void PaintBorder(CRenderContext& ctx) override;
    UISize EstimateSize(UISize available) override;

protected:
    UIColor CurrentTextColor() const override;
    // The indicator actually drawn (Auto resolved).
    OptionIndicator EffectiveIndicator() const;
    virtual bool DefaultsToCheck() const { return m_group.empty(); }

    std::string m_group;
    bool m_selected = false;
    std::string m_selectedImage;
    std::string m_selectedHotImage;
    std::string m_selectedDisabledImage;
    std::string m_selectedForeImage;
    UIColor m_selectedBkColor = 0;
    UIColor m_selectedTextColor = 0;
    UIColor m_selectedBorderColor = 0;
    OptionIndicator m_indicator = OptionIndicator::Auto;

private:
    void DeselectOthersInGroup();
    // True when nothing in the layout styles the option and it draws the default pill.
    bool IsBarePill() const;
    void PaintIndicator(CRenderContext& ctx, OptionIndicator indicator);
};

class CCheckBoxUI : public COptionUI {
public:
    std::string_view GetClass() const override;
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool notify = false) { Selected(check, notify); }

protected:
    bool DefaultsToCheck() const override { return true; }
};
