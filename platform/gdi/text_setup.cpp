#include "platform/gdi/text_setup.h"

namespace gdi::text {

namespace {

bool NamesCacheFolder(FcConfig* config) {
    FcStrList* folders = FcConfigGetCacheDirs(config);
    if (!folders) return false;
    const bool some = FcStrListNext(folders) != nullptr;
    FcStrListDone(folders);
    return some;
}

}  // namespace

FcConfig* LoadEnabledFontconfig() {
    FcConfig* config = FcConfigCreate();
    if (!config) return nullptr;
    if (FcConfigParseAndLoad(config, nullptr, FcTrue) == FcTrue && NamesCacheFolder(config) &&
        FcConfigBuildFonts(config) == FcTrue) {
        return config;
    }
    FcConfigDestroy(config);
    return nullptr;
}

bool SetUpFontconfig() {
    if (FcConfig* config = LoadEnabledFontconfig()) {
        // The current configuration holds a reference of its own.
        const bool made_current = FcConfigSetCurrent(config) == FcTrue;
        FcConfigDestroy(config);
        if (made_current) return true;
    }
    return FcInit() == FcTrue;
}

}  // namespace gdi::text
