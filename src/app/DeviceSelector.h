#pragma once
// The device selector: the slot list that discovery fills, one device page, power
// panel and selector entry per device kind (built once, at window initialisation), and
// the current selection. Discovery only attaches and detaches what was built. Lives on
// the UI thread; the main window owns it and routes the selector's messages and
// notifications to it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DeviceDiscovery.h"
#include "platform/Events.h"
#include "platform/WindowMessages.h"

class CContainerUI;
class CControlUI;
class CDeviceOptionUI;
class CMpDevicePowerUI;
class CPaintManagerUI;
class CTavrinUSBDevice;
class CTabLayoutUI;
class IDialogBuilderCallback;

// What the selector asks of the main window. Unset hooks do nothing.
struct SelectorHooks {
    // After every attach: update the no-device notice, restore and raise the window.
    std::function<void()> showAndRaise;
    // The shown device left: the settings and about windows close.
    std::function<void()> closeChildWindows;
    // True while a macro recording or key capture runs (the selector is disabled then).
    std::function<bool()> captureRunning;
    // Ends a recording or capture: removes the input hook, stops the recording as its
    // stop button does and enables the selector again.
    std::function<void()> endCapture;
    // The number of visible entries changed (the lighting panels offer synchronised
    // lighting only while more than one device is shown).
    std::function<void(int visibleEntries)> visibleEntriesChanged;
};

// The entry the user chose last.
struct DeviceSelection {
    int position = -1;
    int kindCode = 0;
    int subKind = 0;
};

struct VisibleEntries {
    int first = -1;  // index of the first visible entry
    int count = 0;
};

class CDeviceSelector {
public:
    CDeviceSelector();
    ~CDeviceSelector();
    CDeviceSelector(const CDeviceSelector&) = delete;
    CDeviceSelector& operator=(const CDeviceSelector&) = delete;

    void SetHooks(SelectorHooks hooks);

    // ---- Window initialisation ----
    // Finds "device_select_layout", "device_switch", "device_power_switch" and
    // "No_device_Link" in `manager`, then builds the page of every kind page row that
    // has a device-type row (BuildKindPage); the layouts are built with `callback`.
    void BuildKindPages(CPaintManagerUI& manager, IDialogBuilderCallback& callback,
                        WindowHandle mainWindow, const std::string& profileText);
    // The power panel, entry and device page for device-type row `row` and `subKind`;
    // false when the row has no kind page or a layout builds nothing.
    bool BuildKindPage(int row, int subKind);

    // ---- Discovery ----
    // The body for the main window's thread slot 0: discovery over the slot list,
    // sending its messages to the main window given to BuildKindPages.
    CWorkerThread::Body DiscoveryThreadBody(DiscoveryOptions options = {});
    // The discovery the last body runs (for measurements); null before the first.
    std::shared_ptr<CDeviceDiscovery> Discovery() const { return m_discovery; }
    CSlotList& Slots() { return *m_slots; }

    // ---- The two discovery messages (device-arrived, device-left) ----
    void AttachSlot(int slot);
    void DetachSlot(int slot);
    // After a resume, messages that were dropped while suspended: connected slots whose
    // channel is closed attach, open channels whose slot is free detach.
    void Reconcile();

    // ---- Entries ----
    void ShowEntry(int entry, bool visible, bool select);
    void HideEntryOnDetach(int entry);
    VisibleEntries CountVisibleEntries() const;
    int EntryCount() const;
    CDeviceOptionUI* EntryAt(int entry) const;  // null when out of range
    // True while an attached device waits for its delayed open.
    bool HasPendingOpen() const;
    // The device of the first visible, selected entry; null when none.
    CTavrinUSBDevice* CurrentDevice() const;
    const DeviceSelection& CurrentSelection() const { return m_selection; }
    // "selectchanged" of a "device_select" option.
    void OnDeviceSelectChanged();
    // "device_select_prev" / "device_select_next": the nearest visible entry before /
    // after the selected one; nothing at either end.
    void SelectPrevious();
    void SelectNext();
    // "No_device_Link" shows while no entry is visible.
    void UpdateNoDeviceNotice();

    // ---- What was built ----
    // The devices of a kind code (6 counts as a mouse), in build order.
    const std::vector<CTavrinUSBDevice*>& DevicesOfKind(int kindCode) const;
    // Mousepads, mice, keyboards, headsets.
    std::vector<CTavrinUSBDevice*> AllDevices() const;
    const std::vector<CMpDevicePowerUI*>& PowerPanels() const { return m_powerPanels; }

private:
    void AttachCommand(const DeviceSlot& slot);
    void AttachNotification(const DeviceSlot& slot);
    void DetachCommand(const DeviceSlot& slot);
    void DetachNotification(const DeviceSlot& slot);
    CTavrinUSBDevice* DeviceForSlot(const DeviceSlot& slot) const;
    CTavrinUSBDevice* SyncDeviceForSlot(const DeviceSlot& slot) const;
    std::vector<CTavrinUSBDevice*>& MutableDevicesOfKind(int kindCode);
    int EntryIndexOf(const CTavrinUSBDevice* device) const;
    int SelectedEntry() const;
    void SelectEntry(int entry);
    void RememberSelection(int entry);
    void SelectBoundPage(const CDeviceOptionUI& entry);
    void ShowPowerPageOf(const CDeviceOptionUI& entry);
    void UpdatePagesShown();
    void InvalidateEntries();

    SelectorHooks m_hooks;
    std::shared_ptr<CSlotList> m_slots;
    std::shared_ptr<CDeviceDiscovery> m_discovery;
    CPaintManagerUI* m_manager = nullptr;
    IDialogBuilderCallback* m_callback = nullptr;
    WindowHandle m_mainWindow = kNoWindow;
    std::string m_profileText;
    CContainerUI* m_entryLayout = nullptr;   // "device_select_layout"
    CTabLayoutUI* m_deviceSwitch = nullptr;  // "device_switch"
    CTabLayoutUI* m_powerSwitch = nullptr;   // "device_power_switch"
    CControlUI* m_noDeviceNotice = nullptr;  // "No_device_Link"
    std::vector<CTavrinUSBDevice*> m_mousepads;
    std::vector<CTavrinUSBDevice*> m_mice;
    std::vector<CTavrinUSBDevice*> m_keyboards;
    std::vector<CTavrinUSBDevice*> m_headsets;
    std::vector<CMpDevicePowerUI*> m_powerPanels;
    DeviceSelection m_selection;
};
