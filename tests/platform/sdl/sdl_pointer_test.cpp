// Window points to picture pixels, for a picture shown at its size, on a
// dense screen, in a larger window with borders and outside the window; and
// SDL's mouse events as the window system reports them, on the offscreen driver.
#include "platform/sdl/sdl_pointer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/sdl_window_system.h"

using velmora::platform::PictureFromWindow;
using velmora::platform::PointerScale;
using velmora::platform::SdlWindowSystem;
using velmora::platform::WindowEvent;
using velmora::platform::WindowEventType;

namespace {

PointerScale Scale(int windowWidth, int windowHeight, int drawableWidth, int drawableHeight) {
    PointerScale scale;
    scale.windowWidth = windowWidth;
    scale.windowHeight = windowHeight;
    scale.drawableWidth = drawableWidth;
    scale.drawableHeight = drawableHeight;
    scale.pictureWidth = 800;
    scale.pictureHeight = 600;
    return scale;
}

struct Point {
    int x, y;
};

Point Map(const PointerScale& scale, int x, int y) {
    PictureFromWindow(scale, x, y);
    return {x, y};
}

TEST(PictureFromWindow, AtThePicturesSizeEveryPointIsItsPixel) {
    const PointerScale scale = Scale(800, 600, 800, 600);
    for (Point p : {Point{0, 0}, Point{799, 599}, Point{400, 577}, Point{-3, 610}}) {
        const Point mapped = Map(scale, p.x, p.y);
        EXPECT_EQ(mapped.x, p.x);
        EXPECT_EQ(mapped.y, p.y);
    }
}

TEST(PictureFromWindow, ADenseScreenHasTwoPixelsAPoint) {
    // The window is 800x600 points and 1600x1200 pixels: still 1:1 in points.
    const Point mapped = Map(Scale(800, 600, 1600, 1200), 799, 300);
    EXPECT_EQ(mapped.x, 799);
    EXPECT_EQ(mapped.y, 300);
}

TEST(PictureFromWindow, AWiderWindowHasBordersLeftAndRight) {
    // 1920x1080: the picture 1440x1080 from column 240 on.
    const PointerScale scale = Scale(1920, 1080, 1920, 1080);
    Point p = Map(scale, 240, 0);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    p = Map(scale, 1679, 1079);
    EXPECT_EQ(p.x, 799);
    EXPECT_EQ(p.y, 599);
    p = Map(scale, 960, 540);
    EXPECT_EQ(p.x, 400);
    EXPECT_EQ(p.y, 300);
    EXPECT_LT(Map(scale, 239, 0).x, 0) << "the left border is before the picture";
    EXPECT_GE(Map(scale, 1680, 0).x, 800) << "the right border is past it";
}

TEST(PictureFromWindow, ATallerWindowHasBordersAboveAndBelow) {
    // 800x800: the picture 800x600 from row 100 on.
    const PointerScale scale = Scale(800, 800, 800, 800);
    EXPECT_EQ(Map(scale, 0, 100).y, 0);
    EXPECT_EQ(Map(scale, 0, 699).y, 599);
    EXPECT_LT(Map(scale, 0, 99).y, 0);
    EXPECT_GE(Map(scale, 0, 700).y, 600);
}

TEST(PictureFromWindow, UnknownSizesLeaveThePoint) {
    PointerScale scale = Scale(0, 0, 0, 0);
    Point p = Map(scale, 17, 23);
    EXPECT_EQ(p.x, 17);
    EXPECT_EQ(p.y, 23);
    scale = Scale(800, 600, 800, 600);
    scale.pictureWidth = 0;
    p = Map(scale, 17, 23);
    EXPECT_EQ(p.x, 17);
}

void PushButton(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event event{};
    event.type = type;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void PushMotion(int x, int y) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// The pointer's events the window system reports, in order.
std::vector<WindowEvent> PointerEvents(SdlWindowSystem& system) {
    std::vector<WindowEvent> events;
    WindowEvent event;
    while (system.PollEvent(event))
        if (event.type != WindowEventType::Exposed) events.push_back(event);
    return events;
}

TEST(SdlPointerEvents, TheLeftButtonAndMovesAtThePicturesPixels) {
    // Kept for the life of the process: closing SDL's video would unload the
    // offscreen driver's EGL and Mesa with what they keep allocated, which
    // the leak checker then reports from a module it can no longer name.
    static SdlWindowSystem& system = *new SdlWindowSystem(velmora::platform::VideoDriver::Offscreen);
    ASSERT_TRUE(system.OpenWindow("pointer test", 320, 240));
    PointerEvents(system);  // what opening the window brought
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 50);
    PushMotion(110, 60);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1);  // not the program's
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 1);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 120, 70);
    std::vector<WindowEvent> events = PointerEvents(system);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].type, WindowEventType::PointerDown);
    EXPECT_EQ(events[0].x, 100);
    EXPECT_EQ(events[0].y, 50);
    EXPECT_EQ(events[1].type, WindowEventType::PointerOver);
    EXPECT_EQ(events[1].x, 110);
    EXPECT_EQ(events[1].y, 60);
    EXPECT_EQ(events[2].type, WindowEventType::PointerUp);
    EXPECT_EQ(events[2].x, 120);
    EXPECT_EQ(events[2].y, 70);

    // The window made twice the picture's size: its points halved.
    system.SetDisplayMode(160, 120, true);
    SDL_SetWindowSize(system.window(), 320, 240);
    PointerEvents(system);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 50);
    events = PointerEvents(system);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].x, 50);
    EXPECT_EQ(events[0].y, 25);
}

}  // namespace
