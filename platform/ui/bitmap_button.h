// CBitmapButton: an owner-drawn button with up, down, focus and disabled images.
#pragma once

#include "platform/gdi/objects.h"
#include "platform/ui/button.h"

class CBitmapButton : public CButton {
    DECLARE_DYNAMIC(CBitmapButton)

public:
    // Releases the images held, checks up (failure: FALSE, nothing more) and
    // then each other nonzero resource; TRUE when every requested one is a
    // registered BMP. An image is decoded when it is first drawn or asked
    // for, so a button that is never shown, or never pressed, costs no
    // decoding; one that then fails to decode counts as not loaded.
    BOOL LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel = 0, UINT nIDBitmapResourceFocus = 0,
                     UINT nIDBitmapResourceDisabled = 0);
    // Copies down if SELECTED, else focus if FOCUS, else disabled if
    // DISABLED (each only if loaded), else up, to the item's top-left.
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

    const CBitmap& UpBitmap() const { return m_bitmap.Get(); }
    const CBitmap& DownBitmap() const { return m_bitmapSel.Get(); }
    const CBitmap& FocusBitmap() const { return m_bitmapFocus.Get(); }
    const CBitmap& DisabledBitmap() const { return m_bitmapDisabled.Get(); }

protected:
    // The image for an owner-draw state: down while pushed, else focused,
    // else disabled, each only when loaded, else up.
    const CBitmap* ImageForState(UINT itemState) const;

private:
    // A resource bitmap decoded on first use.
    class LazyBitmap {
    public:
        // Forgets the image; false when id is not a registered BMP.
        bool Set(int id);
        void Release() { Set(0); }
        const CBitmap& Get() const;

    private:
        mutable CBitmap bitmap_;
        mutable int pending_ = 0;  // the resource still to decode, or 0
    };

    LazyBitmap m_bitmap;
    LazyBitmap m_bitmapSel;
    LazyBitmap m_bitmapFocus;
    LazyBitmap m_bitmapDisabled;
};
