#pragma once
// Sources of HID interfaces. Each backend lists the interfaces it serves, one per
// top-level collection, and opens one by path. Two ship: hidraw nodes and the virtual
// HID bus; tests put fakes in their place.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid/HidTypes.h"

class CManualResetEvent;

// One opened top-level collection.
class IHidConnection {
public:
    virtual ~IHidConnection() = default;
    virtual const HidAttributes& Attributes() const = 0;
    virtual const HidCollectionCaps& Collection() const = 0;
    // Waits up to timeoutMs (kInfiniteTimeout: no limit) for one input report of this
    // collection and copies it, report id first, into `buffer`, zero-padding a shorter
    // report. Reports of other collections are skipped. Returns the bytes stored, or 0
    // on time-out, abort (`abort` set) or error. Nothing is written into `buffer` after
    // it returns.
    virtual std::size_t Read(std::span<std::uint8_t> buffer, int timeoutMs,
                             const CManualResetEvent& abort) = 0;
    // Sends one output report (report id first). False on time-out, abort or error.
    virtual bool Write(std::span<const std::uint8_t> report, int timeoutMs,
                       const CManualResetEvent& abort) = 0;
    // Sends one output report as a set-report request.
    virtual bool SetOutputReport(std::span<const std::uint8_t> report) = 0;
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    // Appends the paths of the interfaces present. False when the listing failed (a
    // source that does not exist yet is an empty listing, not a failure).
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // True when `path` is one of this backend's paths.
    virtual bool Owns(std::string_view path) const = 0;
    // Null when the interface cannot be opened; `error` then says why (for a missing
    // permission it names the node).
    virtual std::unique_ptr<IHidConnection> Open(const std::string& path, bool read, bool write,
                                                 std::string& error) = 0;
};

// hidraw under `sysRoot` (normally "/sys") and nodes under `devRoot` ("/dev").
std::shared_ptr<IHidBackend> MakeHidrawBackend(std::string sysRoot = "/sys",
                                               std::string devRoot = "/dev");
// The virtual bus in `folder`.
std::shared_ptr<IHidBackend> MakeVirtualHidBackend(std::string folder);
// $TOLMI_VHID_DIR, else $XDG_RUNTIME_DIR/tolmi-vhid, else /tmp/tolmi-vhid-<uid>.
std::string VirtualBusFolder();
// Both backends at their standard places.
std::vector<std::shared_ptr<IHidBackend>> DefaultHidBackends();
