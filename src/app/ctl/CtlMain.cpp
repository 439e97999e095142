// tolmi-q318-ctl: lists the HID interfaces the program would see and reads a device's
// information block, without the program's window.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/ctl/CtlCommands.h"

namespace {

int Usage() {
    std::fputs(
        "usage: tolmi-q318-ctl list [--json]\n"
        "       tolmi-q318-ctl info PATH [--json]\n"
        "  list  every HID interface (hidraw and the virtual bus) with its identity and the\n"
        "        device kind it belongs to\n"
        "  info  the device information block of the command interface at PATH\n"
        "exit codes: 0 success, 1 device error, 2 usage error\n",
        stderr);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> words(argv + 1, argv + argc);
    OutputForm form = OutputForm::Text;
    std::erase_if(words, [&form](std::string_view word) {
        if (word != "--json") return false;
        form = OutputForm::Json;
        return true;
    });
    if (words.size() == 1 && words[0] == "list") return ListInterfaces(DefaultHidBackends(), form);
    if (words.size() == 2 && words[0] == "info" && !words[1].starts_with("-"))
        return ShowDeviceInfo(DefaultHidBackends(), std::string(words[1]), form);
    return Usage();
}
