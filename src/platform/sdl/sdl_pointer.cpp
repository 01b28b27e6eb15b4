#include "platform/sdl/sdl_pointer.h"

#include <cmath>

namespace velmora::platform {

void PictureFromWindow(const PointerScale& s, int& x, int& y) {
    if (s.windowWidth <= 0 || s.windowHeight <= 0 || s.drawableWidth <= 0 || s.drawableHeight <= 0 ||
        s.pictureWidth <= 0 || s.pictureHeight <= 0)
        return;
    // The picture's rectangle in the window's pixels, as the display lays it.
    long long shownWidth = s.drawableWidth, shownHeight = s.drawableHeight;
    if (static_cast<long long>(s.drawableWidth) * s.pictureHeight >
        static_cast<long long>(s.drawableHeight) * s.pictureWidth)
        shownWidth = static_cast<long long>(s.drawableHeight) * s.pictureWidth / s.pictureHeight;
    else
        shownHeight = static_cast<long long>(s.drawableWidth) * s.pictureHeight / s.pictureWidth;
    const double left = static_cast<double>((s.drawableWidth - shownWidth) / 2);
    const double top = static_cast<double>((s.drawableHeight - shownHeight) / 2);
    // The point's pixel in the window, then in the picture; the centre of a
    // window point is taken, so that a picture shown at its size maps 1:1.
    const double pixelX = (x + 0.5) * s.drawableWidth / s.windowWidth;
    const double pixelY = (y + 0.5) * s.drawableHeight / s.windowHeight;
    x = static_cast<int>(std::floor((pixelX - left) * s.pictureWidth / static_cast<double>(shownWidth)));
    y = static_cast<int>(std::floor((pixelY - top) * s.pictureHeight / static_cast<double>(shownHeight)));
}

}  // namespace velmora::platform
