#include "device/hid/HidrawBackend.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "device/hid/HidrawSysfs.h"
#include "device/hid/PolledHidConnection.h"
#include "device/hid/ReportDescriptor.h"

namespace {

class CHidrawConnection : public CPolledHidConnection {
public:
    using CPolledHidConnection::CPolledHidConnection;

    // A control SET_REPORT as on other systems; kernels or nodes without it take a write.
    bool SetOutputReport(std::span<const std::uint8_t> report) override {
        if (report.empty()) return false;
        std::vector<std::uint8_t> copy(report.begin(), report.end());
        if (ioctl(Fd(), HIDIOCSOUTPUT(copy.size()), copy.data()) >= 0) return true;
        if (errno != ENOTTY && errno != EINVAL) return false;
        return SendOne(report) == Transfer::Done;
    }

protected:
    // hidraw leaves the id byte out of unnumbered reports; ours always start with one.
    Transfer ReceiveOne(std::vector<std::uint8_t>& report) override {
        const bool numbered = Collection().numberedReports;
        report.assign(kMaxReportBytes, 0);
        std::uint8_t* data = report.data() + (numbered ? 0 : 1);
        const ssize_t got = read(Fd(), data, kMaxReportBytes - 1);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return Transfer::Again;
        if (got <= 0) return Transfer::Gone;  // the device went away
        report.resize(static_cast<std::size_t>(got) + (numbered ? 0 : 1));
        return Transfer::Done;
    }

    // hidraw takes the id byte first in any case, 0 for unnumbered reports.
    Transfer SendOne(std::span<const std::uint8_t> report) override {
        const ssize_t sent = write(Fd(), report.data(), report.size());
        if (sent == static_cast<ssize_t>(report.size())) return Transfer::Done;
        return sent < 0 && (errno == EAGAIN || errno == EINTR) ? Transfer::Again : Transfer::Gone;
    }
};

CUniqueFd OpenNode(const std::string& node, int flags) {
    return CUniqueFd(open(node.c_str(), flags));
}

std::string OpenErrorText(const std::string& node, int error) {
    if (error == EACCES || error == EPERM)
        return "no permission to open " + node + "; install the udev rule " + kUdevRuleFile +
               " (see README)";
    return "cannot open " + node + ": " + std::strerror(error);
}

class CHidrawBackend : public IHidBackend {
public:
    CHidrawBackend(std::string sysRoot, std::string devRoot, HidNodeOpener opener)
        : m_sysRoot(std::move(sysRoot)),
          m_devRoot(std::move(devRoot)),
          m_opener(std::move(opener)) {}

    bool Enumerate(std::vector<std::string>& paths) override {
        std::vector<std::string> names;
        if (!ListHidrawNames(m_sysRoot, names)) return false;
        for (const std::string& name : names)
            if (const auto node = DescribeHidrawNode(m_sysRoot, name))
                for (const HidCollectionCaps& caps : node->collections)
                    paths.push_back(PathOf(*node, caps));
        return true;
    }

    bool Owns(std::string_view path) const override {
        return path.starts_with(NodePrefix()) && path.find('#') != std::string_view::npos;
    }

    std::unique_ptr<IHidConnection> Open(const std::string& path, bool read, bool write,
                                         std::string& error) override;

private:
    std::string NodePrefix() const { return m_devRoot + "/hidraw"; }
    std::string PathOf(const HidrawNode& node, const HidCollectionCaps& caps) const {
        const HidPathIds ids{node.attributes.vendorId, node.attributes.productId,
                             node.interfaceNumber, caps.number};
        return m_devRoot + "/" + node.name + FormatDevicePathIds(ids);
    }

    std::string m_sysRoot;
    std::string m_devRoot;
    HidNodeOpener m_opener;
};

std::unique_ptr<IHidConnection> CHidrawBackend::Open(const std::string& path, bool read, bool write,
                                                     std::string& error) {
    if (!Owns(path)) {
        error = "not a hidraw path: " + path;
        return nullptr;
    }
    const std::string nodePath = path.substr(0, path.find('#'));
    const auto node = DescribeHidrawNode(m_sysRoot, nodePath.substr(m_devRoot.size() + 1));
    const std::uint32_t number = ParseDevicePath(path).collectionNumber;
    if (!node || number == 0 || number > node->collections.size() ||
        PathOf(*node, node->collections[number - 1]) != path) {
        error = "HID interface not present: " + path;
        return nullptr;
    }
    const int access = write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY;
    CUniqueFd fd = m_opener(nodePath, access | O_NONBLOCK | O_CLOEXEC);
    if (!fd.IsValid()) {
        error = OpenErrorText(nodePath, errno);
        return nullptr;
    }
    return std::make_unique<CHidrawConnection>(std::move(fd), node->attributes,
                                               node->collections[number - 1]);
}

}  // namespace

std::shared_ptr<IHidBackend> MakeHidrawBackend(std::string sysRoot, std::string devRoot,
                                               HidNodeOpener opener) {
    return std::make_shared<CHidrawBackend>(std::move(sysRoot), std::move(devRoot),
                                            std::move(opener));
}

std::shared_ptr<IHidBackend> MakeHidrawBackend(std::string sysRoot, std::string devRoot) {
    return MakeHidrawBackend(std::move(sysRoot), std::move(devRoot), OpenNode);
}
