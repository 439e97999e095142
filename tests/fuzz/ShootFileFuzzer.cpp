// libFuzzer entry: any bytes as a shoot file, read bullet by bullet as the panel reads
// it, each bullet written back, and the four-gun image built from it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "profile/MacroImage.h"
#include "profile/ShootFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Json::Value doc =
        ParseMacroFileText(std::string_view(reinterpret_cast<const char*>(data), size));
    Json::Value rewritten = doc;
    for (int bullet = 0; bullet < kShootBulletCount; ++bullet) {
        const BulletGroup group = ReadBulletGroup(doc, bullet);
        // What the panel shows must survive a save unchanged.
        if (!WriteBulletGroup(rewritten, bullet, group)) __builtin_trap();
        if (!(ReadBulletGroup(rewritten, bullet) == group)) __builtin_trap();
    }
    std::array<Json::Value, kShootGunCount> docs{doc, rewritten};
    if (const auto image = BuildShootImage(docs); image && image->size() > kMaxMacroImageSize)
        __builtin_trap();
    return 0;
}
