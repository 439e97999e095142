#pragma once
// CDeviceOptionUI: one entry of the device selector. It shows a device kind's icon and
// name, selects that device's page, and runs the device's entry timers: opening the
// device after an attach, repainting the key picture, reading the device back after a
// change made on it, and the power status.
#include <array>
#include <string>
#include <string_view>

#include "ui/UIContainer.h"

class COptionUI;
class CLabelUI;
class CTavrinUSBDevice;

// Entry timers (control timers of the entry).
namespace EntryTimer {
inline constexpr unsigned RepaintPreview = 1000;
inline constexpr unsigned OpenDevice = 1001;
inline constexpr unsigned ReadDeviceState = 1002;
inline constexpr unsigned Spare1003 = 1003;
inline constexpr unsigned Spare1004 = 1004;
inline constexpr unsigned ReadPowerStatus = 1005;
}  // namespace EntryTimer

inline constexpr unsigned kOpenDeviceDelayMs = 500;
// The key picture follows the light frames at the light clock's step while they are
// made; otherwise it stops until the device says frames may come again, so an idle
// device costs no CPU.
inline constexpr unsigned kPreviewRepaintMs = 16;
inline constexpr unsigned kPowerStatusMs = 5000;

// The four icons of a kind: selected and normal, each with and without the sync mark.
struct DeviceIcons {
    std::string syncSelected;
    std::string syncNormal;
    std::string selected;
    std::string normal;
};

// Icon prefix and name text key of a kind code and sub-kind (the unknown device's for
// codes without icons of their own); empty for kind 3 with a sub-kind other than 0 or 1.
struct DeviceIconRow {
    std::string_view prefix;
    std::string_view nameKey;
};
DeviceIconRow DeviceIconRowFor(int kindCode, int subKind);
DeviceIcons DeviceIconsFor(std::string_view prefix);

class CDeviceOptionUI : public CHorizontalLayoutUI {
public:
    CDeviceOptionUI();
    ~CDeviceOptionUI() override;
    std::string_view GetClass() const override { return "DeviceOptionUI"; }

    // Icons and tool tip of the select option; kind 3 with an unknown sub-kind keeps
    // what was there.
    void SetKind(int kindCode, int subKind);
    int GetKindCode() const { return m_kindCode; }
    int GetSubKind() const { return m_subKind; }
    const DeviceIcons& GetIcons() const { return m_icons; }
    // Links the device both ways (the device's selector entry becomes this entry).
    void LinkDevice(CTavrinUSBDevice* device);
    // Set while the device is attached but its delayed open has not run yet.
    void SetOpenPending(bool pending) { m_openPending = pending; }
    bool IsOpenPending() const { return m_openPending; }
    CTavrinUSBDevice* GetDevice() const { return m_device; }
    // The device's key picture, repainted by timer 1000.
    void SetPreviewPanel(CControlUI* panel) { m_previewPanel = panel; }
    CControlUI* GetPreviewPanel() const { return m_previewPanel; }

    void SetSyncOptionVisible(bool visible);
    // Changes the sync option (notifying) and the select option's icons together.
    void SetSyncSelected(bool selected);
    bool IsSyncSelected() const;
    // Silent: the selector decides what follows a selection it makes itself.
    void Select(bool selected);
    bool IsSelected() const;
    void SetGroup(std::string_view group);
    // The tab layout and page the entry's selection shows.
    void BindPage(std::string_view tabLayout, int index);
    const std::string& GetBoundTabLayout() const { return m_boundTabLayout; }
    int GetBoundIndex() const { return m_boundIndex; }
    // The tab layout and page of the device's power panel; a negative index hides it.
    void SetPowerPage(std::string_view container, int index);
    const std::string& GetPowerContainer() const { return m_powerContainer; }
    int GetPowerPageIndex() const { return m_powerPageIndex; }
    void SetName(std::string_view text);

    COptionUI* SelectOption();  // "device_select"; null when the layout lacks it
    COptionUI* SyncOption();    // "synchro_device_select"
    CLabelUI* NameLabel();      // "device_select_name"

    void SetVisible(bool visible = true) override;
    bool IsEntryVisible() const { return m_entryVisible; }
    // Selects the entry and reports it, as a click on its icon does.
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    void PaintBorder(CRenderContext& ctx) override;

private:
    CControlUI* FindChild(std::string_view name);
    void OnTimer(unsigned id);
    void OnOpenDeviceTimer();
    void OnRepaintTimer();
    void OnPowerStatusTimer();
    bool CommandChannelOpen() const;
    void ApplyIcons();
    void StartTimer(unsigned id, unsigned elapseMs);
    void StopTimer(unsigned id);

    CControlUI* m_previewPanel = nullptr;
    CTavrinUSBDevice* m_device = nullptr;
    bool m_openPending = false;
    COptionUI* m_syncOption = nullptr;
    COptionUI* m_selectOption = nullptr;
    CLabelUI* m_nameLabel = nullptr;
    int m_kindCode = 0;
    int m_subKind = 0;
    DeviceIcons m_icons;
    bool m_entryVisible = true;
    std::string m_boundTabLayout;
    int m_boundIndex = -1;
    std::string m_powerContainer;
    int m_powerPageIndex = -1;
};
