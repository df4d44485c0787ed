// CBitmapButton: an owner-drawn button with up, down, focus and disabled images.
#pragma once

#include "platform/gdi/objects.h"
#include "platform/ui/button.h"

class CBitmapButton : public CButton {
    DECLARE_DYNAMIC(CBitmapButton)

public:
    // Releases the images held, loads up (failure: FALSE, nothing more) and
    // then each other nonzero resource; TRUE when every requested one loaded.
    BOOL LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel = 0, UINT nIDBitmapResourceFocus = 0,
                     UINT nIDBitmapResourceDisabled = 0);
    // Copies down if SELECTED, else focus if FOCUS, else disabled if
    // DISABLED (each only if loaded), else up, to the item's top-left.
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

    const CBitmap& UpBitmap() const { return m_bitmap; }
    const CBitmap& DownBitmap() const { return m_bitmapSel; }
    const CBitmap& FocusBitmap() const { return m_bitmapFocus; }
    const CBitmap& DisabledBitmap() const { return m_bitmapDisabled; }

protected:
    // The image for an owner-draw state: down while pushed, else focused,
    // else disabled, each only when loaded, else up.
    const CBitmap* ImageForState(UINT itemState) const;

    CBitmap m_bitmap;
    CBitmap m_bitmapSel;
    CBitmap m_bitmapFocus;
    CBitmap m_bitmapDisabled;
};
