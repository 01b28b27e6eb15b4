// Pointer positions from SDL's window coordinates to the picture's pixels.
#pragma once

namespace velmora::platform {

struct PointerScale {
    int windowWidth = 0, windowHeight = 0;      // SDL's window coordinates
    int drawableWidth = 0, drawableHeight = 0;  // the window's pixels, larger on a dense screen
    int pictureWidth = 0, pictureHeight = 0;    // the frames shown in it
};

// The picture pixel under window point x, y. The picture is shown as the
// display presents it: the largest rectangle of its aspect that fits the
// window's pixels, centred. A point on the black borders beside it, or
// outside the window, falls below 0 or past the picture's size. Sizes that
// are not all above 0 leave the point as it is.
void PictureFromWindow(const PointerScale& scale, int& x, int& y);

}  // namespace velmora::platform
