// What differs between the two pages drawn over the stripe pattern (pitch and
// phase); everything else is shared by RenderStripePage.
#pragma once

struct IconPlace {
    double x, y;  // left and top as fractions of W and H
};

struct IconSize {
    double w, h;  // fractions of W and H
};

// Icon rectangles for one resolution class.
struct StripeIconRow {
    IconPlace downStep2;
    IconPlace downStep3;
    IconSize down;
    IconPlace third;
    IconPlace up;
    IconSize upSize;
};

struct StripeBoxEdges {
    int left;
    int right;
};

struct StripePageLayout {
    const char* title;
    double labelX;  // X0 as a fraction of W
    StripeBoxEdges (*boxEdges)(int W, int X0);
    // Step 1 line 1, step 1 line 2, step 2, step 3 line 1, step 3 line 2, step 4.
    const char* body[6];
    int thirdIconSlot;
    int thirdIconSourceWidth;
    int thirdIconSourceHeight;
    IconSize thirdIcon;
    StripeIconRow icons[6];  // by resolution class; 5 serves every larger mode
};

const StripePageLayout& PitchPageLayout();
const StripePageLayout& PhasePageLayout();
