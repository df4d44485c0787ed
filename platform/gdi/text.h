// Fonts for the drawing layer: fontconfig matches a face name, FreeType
// renders. Matched faces, sized fonts and glyphs are cached for the process.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/gdi/types.h"

namespace gdi::text {

struct Glyph;

// A face at one pixel size, with the cell metrics of the Windows rules:
// height = ascent + descent (from the face's usWinAscent / usWinDescent).
class SizedFont {
public:
    virtual ~SizedFont() = default;
    virtual int ascent() const = 0;
    virtual int descent() const = 0;
    int height() const { return ascent() + descent(); }
    virtual int ppem() const = 0;
    // The family and style fontconfig matched, e.g. "Liberation Serif", "Bold".
    virtual std::string family() const = 0;
    virtual std::string style() const = 0;
    // Integer advance of one byte of text (cp1252), hinted and rounded up.
    virtual int advance(unsigned char c) const = 0;
    // Sum of the advances; cy is the cell height (also for "").
    SIZE Measure(std::string_view text) const;
    // Draws text with the cell's top-left at (x, y): baseline at y + ascent.
    // Antialiased coverage blends color over what is already there.
    void Draw(Surface& s, int x, int y, std::string_view text, Pixel color) const {
        DrawText(&s, x, y, text, color, nullptr);
    }
    // TextOut in one pass over the glyphs: with opaque_bk, first fills the
    // cell [x, x + cx) x [y, y + height) with it; then draws as Draw does.
    // Returns the extent, as Measure does; a null surface only measures.
    virtual SIZE DrawText(Surface* s, int x, int y, std::string_view text, Pixel color,
                          const Pixel* opaque_bk) const = 0;
};

// Loads fontconfig's configuration and caches as a job of the background
// thread (platform/background_jobs.h), so a program can start it first, ahead
// of its other start-up work, and find it done when it draws its first text.
// Resolving a font before then waits for it. With `preparation_due`, the
// program asks PrepareDuringFontSetup for its first page's fonts later, once
// it knows its screen: the job then waits for that after the set-up (a
// bounded time, for starts that fail before their first page) rather than
// ending, should the window take longer than fontconfig.
void StartFontSetup(bool preparation_due = false);

// A font and all the text a page draws in it.
struct FontText {
    LOGFONTA font;
    std::string text;
};

// Has the set-up's job, once the set-up is done, also resolve each font and
// render the glyphs of its text, while this thread goes on: for the fonts of
// a first page, which would otherwise wait for the set-up and then render
// every glyph on the drawing thread. Asked for after that job has ended, or
// without StartFontSetup, it does nothing. What is drawn is the same either
// way.
void PrepareDuringFontSetup(std::vector<FontText> fonts);

// Resolves a font description: fontconfig match of face name, weight and
// italic; a positive height is the cell height, a negative one the em height.
// Returns null when no font at all can be found. Repeated calls with equal
// descriptions return the same cached object without touching font files.
std::shared_ptr<const SizedFont> ResolveFont(const LOGFONTA& lf);

// Counters for tests: how often a font file was opened and fontconfig asked.
struct FontCacheStats {
    int files_opened = 0;
    int fontconfig_matches = 0;
};
FontCacheStats GetFontCacheStats();

}  // namespace gdi::text
