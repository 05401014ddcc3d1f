// Where a dialog goes when it is centred on its parent: the arithmetic of
// CentreDialogOnParent, apart from the windows it measures.
#pragma once

struct DialogOrigin {
    long x;
    long y;
};

// The top-left corner that puts a dialog of width x height with its centre on
// (centreX, centreY), in screen coordinates, moved down by `shift`. Half the
// width and half the height are truncated toward zero.
constexpr DialogOrigin CentredOrigin(long centreX, long centreY, long width, long height,
                                     long shift) {
    return {centreX - width / 2, centreY - height / 2 + shift};
}
