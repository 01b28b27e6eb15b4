// The window system on SDL2: a real window when a display can be opened,
// SDL's offscreen driver otherwise.
#pragma once

#include "platform/backend/window_system.h"

struct SDL_Window;

namespace velmora::platform {

class SdlWindowSystem : public WindowSystem {
public:
    // Video on the driver the platform's set-up chose.
    explicit SdlWindowSystem(VideoDriver driver);
    ~SdlWindowSystem() override;
    bool OpenWindow(const char* title, int width, int height) override;
    void ShowWindow(bool visible) override;
    bool PollEvent(WindowEvent& event) override;
    void SetCursorVisible(bool visible) override;
    bool RunModalDialog(const DialogLayout& layout, DialogController& controller) override;
    bool ChooseOpenFile(const FileRequest& request, std::string& chosen) override;
    void SetDisplayMode(int width, int height, bool windowed) override;
    void DesktopSize(int& width, int& height) override;
    std::unique_ptr<GlHost> CreateGlHost(std::string& why) override;

    SDL_Window* window() const { return window_; }
    bool offscreen() const { return offscreen_; }

private:
    bool StartVideo();
    WindowEvent PointerEvent(WindowEventType type, int x, int y) const;

    VideoDriver driver_;
    bool videoStarted_ = false;
    bool offscreen_ = false;
    bool openGlWindow_ = false;  // the window was made able to carry an OpenGL context
    SDL_Window* window_ = nullptr;
    std::string glUnavailable_;
    int pictureWidth_ = 0, pictureHeight_ = 0;  // the frames' size, for pointer positions
};

}  // namespace velmora::platform
