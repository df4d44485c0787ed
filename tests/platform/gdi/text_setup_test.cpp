// Fontconfig set up without the descriptions of the configuration files that
// are not enabled matches every request as FcInit's configuration does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gdi/text_setup.h"

namespace {

struct Request {
    const char* family;
    int weight;
    int slant;
};

// The whole pattern fontconfig answers with: file, index, family, style,
// hinting, antialiasing and every other property the rules set.
std::string MatchOf(FcConfig* config, const Request& request) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family));
    FcPatternAddInteger(pattern, FC_WEIGHT, request.weight);
    FcPatternAddInteger(pattern, FC_SLANT, request.slant);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return "(none)";
    FcChar8* text = FcNameUnparse(match);
    std::string answer = text ? reinterpret_cast<const char*>(text) : "(unprintable)";
    FcStrFree(text);
    FcPatternDestroy(match);
    return answer;
}

std::vector<std::string> ConfigFiles(FcConfig* config) {
    std::vector<std::string> files;
    FcStrList* list = FcConfigGetConfigFiles(config);
    while (FcChar8* file = FcStrListNext(list)) files.emplace_back(reinterpret_cast<const char*>(file));
    FcStrListDone(list);
    return files;
}

TEST(FontconfigSetUp, LoadsTheRulesAndFontsOfFcInitAndMatchesAlike) {
    FcConfig* full = FcInitLoadConfigAndFonts();
    FcConfig* enabled = gdi::text::LoadEnabledFontconfig();
    ASSERT_NE(full, nullptr);
    ASSERT_NE(enabled, nullptr);

    EXPECT_EQ(ConfigFiles(enabled), ConfigFiles(full));
    const FcFontSet* full_fonts = FcConfigGetFonts(full, FcSetSystem);
    const FcFontSet* enabled_fonts = FcConfigGetFonts(enabled, FcSetSystem);
    ASSERT_NE(full_fonts, nullptr);
    ASSERT_NE(enabled_fonts, nullptr);
    EXPECT_GT(full_fonts->nfont, 0);
    EXPECT_EQ(enabled_fonts->nfont, full_fonts->nfont);

    // The faces the program asks for, names the rules map to other faces,
    // generic families, and a name no font has.
    const char* families[] = {"Times New Roman", "Arial",       "Courier New", "Liberation Mono",
                              "DejaVu Sans",     "serif",       "sans-serif",  "monospace",
                              "Helvetica",       "No Such Face"};
    for (const char* family : families) {
        for (const int weight : {FC_WEIGHT_REGULAR, FC_WEIGHT_BOLD}) {
            for (const int slant : {FC_SLANT_ROMAN, FC_SLANT_ITALIC}) {
                const Request request{family, weight, slant};
                EXPECT_EQ(MatchOf(enabled, request), MatchOf(full, request))
                    << family << " weight " << weight << " slant " << slant;
            }
        }
    }
    FcConfigDestroy(enabled);
    FcConfigDestroy(full);
}

TEST(FontconfigSetUp, MadeCurrentAndUsableAfterTheLoaderHandsItOver) {
    ASSERT_TRUE(gdi::text::SetUpFontconfig());
    // The current configuration outlives the loader's own reference.
    const std::string match = MatchOf(nullptr, {"Times New Roman", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN});
    EXPECT_NE(match.find(":file="), std::string::npos) << match;
    FcFini();
}

TEST(FontconfigSetUp, LeavesFcInitsOwnFallbackWhereTheConfigurationIsMissing) {
    ASSERT_EQ(setenv("FONTCONFIG_FILE", "/nonexistent/fonts.conf", 1), 0);
    EXPECT_EQ(gdi::text::LoadEnabledFontconfig(), nullptr);
    // FcInit's fallback: the system's font folders without any rules.
    EXPECT_TRUE(gdi::text::SetUpFontconfig());
    FcFini();
    unsetenv("FONTCONFIG_FILE");
}

}  // namespace
