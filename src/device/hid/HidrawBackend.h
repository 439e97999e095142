#pragma once
// The hidraw backend with its node opener exposed, so tests can stand socket pairs where
// the device nodes would be.
#include <functional>
#include <memory>
#include <string>

#include "device/hid/HidBackend.h"
#include "device/hid/UniqueFd.h"

// Opens a device node with open(2) flags; an invalid descriptor with errno set on failure.
using HidNodeOpener = std::function<CUniqueFd(const std::string& node, int flags)>;

std::shared_ptr<IHidBackend> MakeHidrawBackend(std::string sysRoot, std::string devRoot,
                                               HidNodeOpener opener);

// Where the permission for the nodes comes from; named in open errors.
inline constexpr const char* kUdevRuleFile = "data/udev/70-tolmi-q318.rules";
