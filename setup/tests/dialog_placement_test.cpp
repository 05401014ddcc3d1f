// Where CentreDialogOnParent puts a dialog.
#include "setup/dialog_placement.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    long centreX, centreY, width, height, shift;
    long x, y;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

} // namespace

TEST_P(Placement, PutsTheDialogsCentreOnTheParentsCentre) {
    const PlacementCase& c = GetParam();
    const DialogOrigin origin = CentredOrigin(c.centreX, c.centreY, c.width, c.height, c.shift);
    EXPECT_EQ(origin.x, c.x);
    EXPECT_EQ(origin.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Cases, Placement,
                         ::testing::Values(PlacementCase{320, 240, 200, 100, 0, 220, 190},
                                           PlacementCase{320, 240, 200, 100, 10, 220, 200},
                                           // Odd sizes: the halves are truncated.
                                           PlacementCase{320, 240, 201, 101, 10, 220, 200},
                                           PlacementCase{0, 0, 3, 5, 0, -1, -2},
                                           // A parent left of or above the screen's origin.
                                           PlacementCase{-100, -50, 281, 171, 10, -240, -125},
                                           PlacementCase{100, 100, 0, 0, 0, 100, 100}));
