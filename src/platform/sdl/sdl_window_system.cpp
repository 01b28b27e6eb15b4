#include "platform/sdl/sdl_window_system.h"

#include <SDL.h>

#include <cstdio>

#include "platform/gtk/gtk_dialog.h"
#include "platform/sdl/sdl_gl_host.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_pointer.h"

namespace velmora::platform {

namespace {

void SayOffscreen(const char* why) {
    std::fprintf(stderr, "velmora: %s; rendering offscreen\n", why);
}

}  // namespace

SdlWindowSystem::SdlWindowSystem(VideoDriver driver) : driver_(driver) {}

SdlWindowSystem::~SdlWindowSystem() {
    if (window_) SDL_DestroyWindow(window_);
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// Starts SDL's video on the driver the platform settings chose, falling back
// to the offscreen driver when the display cannot be reached, so that a
// headless run never waits for one.
bool SdlWindowSystem::StartVideo() {
    if (videoStarted_) return true;
    // Ctrl+C and kill must end the program, not arrive as a close request that
    // the window procedure refuses.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    bool wantOffscreen = driver_ == VideoDriver::Offscreen;
    if (!wantOffscreen && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
        videoStarted_ = true;
        offscreen_ = SDL_strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0;
        return true;
    }
    SayOffscreen(wantOffscreen ? "no display found" : "the display could not be opened");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "velmora: no video driver could be started: %s\n", SDL_GetError());
        return false;
    }
    videoStarted_ = true;
    offscreen_ = true;
    return true;
}

bool SdlWindowSystem::OpenWindow(const char* title, int width, int height) {
    if (window_ || !StartVideo()) return window_ != nullptr;
    // The window carries the OpenGL context the display draws with; where
    // OpenGL cannot be had the window is made without it and nothing is drawn.
    RequestGlContextAttributes();
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                               height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_OPENGL);
    openGlWindow_ = window_ != nullptr;
    if (!window_) {
        glUnavailable_ = SDL_GetError();
        window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                   height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    }
    if (!window_) std::fprintf(stderr, "velmora: cannot create the window: %s\n", SDL_GetError());
    pictureWidth_ = width;
    pictureHeight_ = height;
    return window_ != nullptr;
}

void SdlWindowSystem::ShowWindow(bool visible) {
    if (!window_) return;
    if (visible)
        SDL_ShowWindow(window_);
    else
        SDL_HideWindow(window_);
}

bool SdlWindowSystem::PollEvent(WindowEvent& event) {
    if (!videoStarted_) return false;
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent)) {
        switch (sdlEvent.type) {
            case SDL_QUIT:
                event = {WindowEventType::CloseRequested, 0};
                return true;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                int key = VirtualKeyFromScancode(sdlEvent.key.keysym.scancode);
                if (key == 0) break;
                event = {sdlEvent.type == SDL_KEYDOWN ? WindowEventType::KeyDown
                                                      : WindowEventType::KeyUp,
                         key};
                return true;
            }
            case SDL_MOUSEMOTION:
                event = PointerEvent(WindowEventType::PointerOver, sdlEvent.motion.x, sdlEvent.motion.y);
                return true;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (sdlEvent.button.button != SDL_BUTTON_LEFT) break;
                event = PointerEvent(sdlEvent.type == SDL_MOUSEBUTTONDOWN ? WindowEventType::PointerDown
                                                                          : WindowEventType::PointerUp,
                                     sdlEvent.button.x, sdlEvent.button.y);
                return true;
            case SDL_WINDOWEVENT:
                if (sdlEvent.window.event == SDL_WINDOWEVENT_CLOSE) {
                    event = {WindowEventType::CloseRequested, 0};
                    return true;
                }
                if (sdlEvent.window.event == SDL_WINDOWEVENT_ENTER) {
                    int x = 0, y = 0;
                    SDL_GetMouseState(&x, &y);
                    event = PointerEvent(WindowEventType::PointerOver, x, y);
                    return true;
                }
                if (sdlEvent.window.event == SDL_WINDOWEVENT_EXPOSED) {
                    event = {WindowEventType::Exposed, 0};
                    return true;
                }
                break;
            default:
                break;
        }
    }
    return false;
}

// A pointer event at window point x, y, given in the picture's pixels: the
// window may be larger than the picture (resized, full screen) or have more
// pixels than points (a dense screen), and the picture is scaled into it.
WindowEvent SdlWindowSystem::PointerEvent(WindowEventType type, int x, int y) const {
    PointerScale scale;
    scale.pictureWidth = pictureWidth_;
    scale.pictureHeight = pictureHeight_;
    if (window_) {
        SDL_GetWindowSize(window_, &scale.windowWidth, &scale.windowHeight);
        scale.drawableWidth = scale.windowWidth;
        scale.drawableHeight = scale.windowHeight;
        if (openGlWindow_) SDL_GL_GetDrawableSize(window_, &scale.drawableWidth, &scale.drawableHeight);
    }
    PictureFromWindow(scale, x, y);
    WindowEvent event;
    event.type = type;
    event.x = x;
    event.y = y;
    return event;
}

void SdlWindowSystem::SetCursorVisible(bool visible) {
    if (videoStarted_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlWindowSystem::SetDisplayMode(int width, int height, bool windowed) {
    if (!window_ || width <= 0 || height <= 0) return;
    pictureWidth_ = width;
    pictureHeight_ = height;
    if (windowed) {
        SDL_SetWindowFullscreen(window_, 0);
        SDL_SetWindowSize(window_, width, height);
    } else {
        // The desktop's own full screen: the monitor keeps its mode and the
        // frames are scaled into it. The window is first laid over the whole
        // desktop by hand, for X servers without a window manager to honour
        // the full-screen request.
        SDL_DisplayMode desktop;
        int display = SDL_GetWindowDisplayIndex(window_);
        if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &desktop) == 0) {
            SDL_Rect bounds;
            if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) != 0) bounds = {0, 0, desktop.w, desktop.h};
            SDL_SetWindowPosition(window_, bounds.x, bounds.y);
            SDL_SetWindowSize(window_, desktop.w, desktop.h);
        }
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
}

void SdlWindowSystem::DesktopSize(int& width, int& height) {
    SDL_DisplayMode mode;
    if (videoStarted_ && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        width = mode.w;
        height = mode.h;
        return;
    }
    WindowSystem::DesktopSize(width, height);
}

std::unique_ptr<GlHost> SdlWindowSystem::CreateGlHost(std::string& why) {
    if (!window_) {
        why = "no window for OpenGL";
        return nullptr;
    }
    if (!openGlWindow_) {
        why = "OpenGL is not available (" + glUnavailable_ + ")";
        return nullptr;
    }
    // Frames wait for the display's refresh only where there is a display.
    return CreateSdlGlHost(window_, !offscreen_, why);
}

// SDL has no dialogs: GTK shows them on the same display. Offscreen, or
// where GTK cannot open the display, no dialog can be shown and the caller
// goes on without it.
bool SdlWindowSystem::RunModalDialog(const DialogLayout& layout, DialogController& controller) {
    if (driver_ == VideoDriver::Offscreen) return false;
    return gtk::RunModalDialog(layout, controller);
}

bool SdlWindowSystem::ChooseOpenFile(const FileRequest& request, std::string& chosen) {
    if (driver_ == VideoDriver::Offscreen) return false;
    return gtk::ChooseOpenFile(request, chosen);
}

}  // namespace velmora::platform
