#pragma once
// The commands of tolmi-q318-ctl. Each prints to stdout (errors to stderr) and returns
// the program's exit code.
#include <memory>
#include <string>
#include <vector>

#include "device/hid/HidBackend.h"

inline constexpr int kExitOk = 0;
inline constexpr int kExitDeviceError = 1;
inline constexpr int kExitUsage = 2;

enum class OutputForm { Text, Json };

// Every HID interface of every backend with its identity and matching device kind.
int ListInterfaces(const std::vector<std::shared_ptr<IHidBackend>>& backends, OutputForm form);
// Reads the device information block of the command interface at `path`.
int ShowDeviceInfo(std::vector<std::shared_ptr<IHidBackend>> backends, const std::string& path,
                   OutputForm form);
