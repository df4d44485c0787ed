// A push button drawn by stretching one of its images over its whole
// rectangle, so the face fills the button at any screen size.
#pragma once

#include "platform/ui/afxwin.h"

class ImageButton : public CBitmapButton {
public:
    void DrawItem(LPDRAWITEMSTRUCT item) override;

    DECLARE_MESSAGE_MAP()
};
