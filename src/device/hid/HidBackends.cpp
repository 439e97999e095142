#include <unistd.h>

#include <cstdlib>

#include "device/hid/HidBackend.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string VirtualBusFolder() {
    if (std::string folder = Environment("TOLMI_VHID_DIR"); !folder.empty()) return folder;
    if (std::string runtime = Environment("XDG_RUNTIME_DIR"); !runtime.empty())
        return runtime + "/tolmi-vhid";
    return "/tmp/tolmi-vhid-" + std::to_string(getuid());
}

std::vector<std::shared_ptr<IHidBackend>> DefaultHidBackends() {
    return {MakeHidrawBackend(), MakeVirtualHidBackend(VirtualBusFolder())};
}
