// tolmi-q318-msg: sends and receives the program's cross-process messages, for
// installers and tests.
#include <QCoreApplication>
#include <QTimer>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/Platform.h"

namespace {

int Usage() {
    std::fputs(
        "usage: tolmi-q318-msg broadcast NAME WPARAM LPARAM\n"
        "       tolmi-q318-msg listen NAME [--count N] [--timeout MS]\n",
        stderr);
    return 2;
}

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Prints each arrival of one registered message and ends the loop after `limit` of them.
class CPrintingTarget final : public IMessageTarget {
public:
    CPrintingTarget(std::string name, std::uint32_t number, int limit)
        : m_name(std::move(name)), m_number(number), m_limit(limit) {}

    LRESULT HandleMessage(std::uint32_t msg, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (msg != m_number) return 0;
        handled = true;
        std::printf("%s %ju %jd\n", m_name.c_str(), static_cast<std::uintmax_t>(wParam),
                    static_cast<std::intmax_t>(lParam));
        std::fflush(stdout);
        if (m_limit > 0 && ++m_received >= m_limit) QCoreApplication::exit(0);
        return 0;
    }

private:
    std::string m_name;
    std::uint32_t m_number;
    int m_limit;
    int m_received = 0;
};

int Broadcast(int argc, char** argv) {
    if (argc != 5) return Usage();
    const auto wParam = ParseNumber<WPARAM>(argv[3]);
    const auto lParam = ParseNumber<LPARAM>(argv[4]);
    if (!wParam || !lParam) return Usage();
    std::printf("%d\n", CMessageBus::Broadcast(argv[2], *wParam, *lParam));
    return 0;
}

int Listen(int argc, char** argv) {
    if (argc < 3) return Usage();
    int count = 0;
    int timeoutMs = 0;
    for (int n = 3; n < argc; n += 2) {
        const std::optional<int> value =
            n + 1 < argc ? ParseNumber<int>(argv[n + 1]) : std::nullopt;
        if (!value || *value < 0) return Usage();
        if (std::strcmp(argv[n], "--count") == 0)
            count = *value;
        else if (std::strcmp(argv[n], "--timeout") == 0)
            timeoutMs = *value;
        else
            return Usage();
    }
    QCoreApplication app(argc, argv);
    const std::string name = argv[2];
    CPrintingTarget target(name, RegisterWindowMessage(name), count);
    const WindowHandle window = RegisterMessageTarget(&target);
    CMessageBus bus;
    if (!bus.Listen(window)) {
        std::fputs("tolmi-q318-msg: cannot listen on the message bus\n", stderr);
        UnregisterMessageTarget(window);
        return 1;
    }
    if (timeoutMs > 0) QTimer::singleShot(timeoutMs, &app, [] { QCoreApplication::exit(1); });
    const int rc = QCoreApplication::exec();
    UnregisterMessageTarget(window);
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "broadcast") == 0) return Broadcast(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "listen") == 0) return Listen(argc, argv);
    return Usage();
}
