#include "draw/layout.h"
#include "pages/stripe_page_layout.h"

namespace {

StripeBoxEdges PitchBoxEdges(int W, int /*X0*/) {
    const int inset = Trunc(W * 0.02);
    return {inset, W - inset};
}

// The phase boxes follow the labels, and reach further right than left.
StripeBoxEdges PhaseBoxEdges(int W, int X0) {
    return {X0 - Trunc(W * 0.0078125), W - X0 + Trunc(W * 0.00390625)};
}

constexpr IconSize kArrow0{0.03, 0.04};
constexpr IconSize kArrow1{0.02, 0.03};
constexpr IconSize kUpArrow{0.01875, 0.025390625};
// The down arrows' height factor is 0.02539 on the pitch page from class 2 on
// and on the phase page in class 5 only: one pixel shorter at H = 1024.
constexpr IconSize kDownArrowShort{0.015625, 0.02539};
constexpr IconSize kDownArrow{0.015625, 0.025390625};

// Eight blanks after "scroll to" make room for the pitch icon.
const StripePageLayout kPitch = {
    " Adjusting Pitch ",
    0.0351,
    PitchBoxEdges,
    {"Check the screen for vertical bars or stripes. If any of these conditions exist, proceed",
     "to Step 2, otherwise select NEXT below.",
     "Press the MENU button and use the     down arrow to scroll to        \"Pitch\", then press OK.",
     "Adjust pitch using the     up and     down arrows so vertical stripes are eliminated, then press",
     "OK, followed by MENU. (Pitch ONLY effects the vertical stripes. Horizontal stripes may still exist).",
     "Once pitch adjustment is complete, select NEXT below."},
    4,
    43,
    31,
    {0.03359375, 0.0302734375},
    {
        {{0.4171, 0.225}, {0.3828, 0.2729}, kArrow0, {0.6656, 0.2294}, {0.2937, 0.277}, kArrow0},
        {{0.4425, 0.2283}, {0.4, 0.2766}, kArrow1, {0.6875, 0.2294}, {0.3112, 0.277}, kArrow1},
        {{0.4394, 0.2343}, {0.4082, 0.2832}, kDownArrowShort, {0.68066, 0.2294}, {0.315, 0.2832}, kUpArrow},
        {{0.452, 0.2343}, {0.4144, 0.2832}, kDownArrowShort, {0.701, 0.2294}, {0.315, 0.2832}, kUpArrow},
        {{0.44375, 0.2343}, {0.404375, 0.2832}, kDownArrowShort, {0.685, 0.2294}, {0.313, 0.2832}, kUpArrow},
        {{0.432, 0.239}, {0.398, 0.286}, kDownArrowShort, {0.668, 0.232}, {0.307, 0.286}, kUpArrow},
    },
};

// Seven blanks after "scroll to": the phase icon is narrower.
const StripePageLayout kPhase = {
    " Adjusting Phase ",
    0.02734,
    PhaseBoxEdges,
    {"Check the screen for flicker, image blurring, or non-uniformity. If any of these conditions",
     "exist, proceed to Step 2, otherwise select NEXT below.",
     "Press the MENU button and use the     down arrow to scroll to       \"Phase\", then press OK.",
     "Adjust phase using the     up and     down arrows until the brightest and clearest picture",
     "is achieved, then press OK, followed by MENU.",
     "Once phase adjustment is complete, select NEXT below."},
    5,
    37,
    28,
    {0.02890625, 0.02734375},
    {
        {{0.4109, 0.225}, {0.3828, 0.275}, kArrow0, {0.6625, 0.2312}, {0.2921, 0.275}, kArrow0},
        {{0.4312, 0.2283}, {0.4012, 0.2766}, kArrow1, {0.6762, 0.2285}, {0.3087, 0.28}, kArrow1},
        {{0.4326, 0.2343}, {0.4062, 0.2832}, kDownArrow, {0.6748, 0.2285}, {0.31445, 0.2832}, kUpArrow},
        {{0.445, 0.2343}, {0.414, 0.2832}, kDownArrow, {0.692, 0.2285}, {0.315, 0.2832}, kUpArrow},
        {{0.43662, 0.2343}, {0.4035, 0.2832}, kDownArrow, {0.6793, 0.2285}, {0.3135, 0.2832}, kUpArrow},
        {{0.424, 0.239}, {0.398, 0.286}, kDownArrowShort, {0.66, 0.235}, {0.307, 0.286}, kUpArrow},
    },
};

}  // namespace

const StripePageLayout& PitchPageLayout() {
    return kPitch;
}
const StripePageLayout& PhasePageLayout() {
    return kPhase;
}
