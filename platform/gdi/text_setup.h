// Fontconfig's set-up, without the part no font match reads.
#pragma once

#include <fontconfig/fontconfig.h>

namespace gdi::text {

// A new configuration with the files, rules and fonts FcInit loads, not made
// current; the caller destroys it. FcInit also reads every configuration file
// that is available but not enabled, for the descriptions that tools listing
// them show: about a third of its time. Null where FcInit falls back to
// defaults of its own (no configuration file, or one naming no cache folder).
FcConfig* LoadEnabledFontconfig();

// Makes fontconfig's configuration current, LoadEnabledFontconfig's or else
// FcInit's; false when there is none.
bool SetUpFontconfig();

}  // namespace gdi::text
