// The drawing back end that draws nothing: it keeps a back buffer in memory
// that clears fill and that reads and writes see, and ignores every draw.
#include <algorithm>
#include <vector>

#include "platform/backend/render_device.h"

namespace velmora::platform {

namespace {

class NullRenderDevice : public RenderDevice {
public:
    const char* Name() const override { return "null"; }
    bool SetBackBufferSize(int width, int height) override {
        if (width <= 0 || height <= 0) return false;
        width_ = width;
        height_ = height;
        pixels_.assign(static_cast<size_t>(width) * height, 0);
        return true;
    }
    void Clear(const Viewport& viewport, const ClearRect* rects, int rectCount, bool color,
               uint32_t argb, bool, float) override {
        if (!color) return;
        auto fill = [&](int x1, int y1, int x2, int y2) {
            x1 = std::max({x1, viewport.x, 0});
            y1 = std::max({y1, viewport.y, 0});
            x2 = std::min({x2, viewport.x + viewport.width, width_});
            y2 = std::min({y2, viewport.y + viewport.height, height_});
            for (int y = y1; y < y2; ++y)
                std::fill_n(&pixels_[static_cast<size_t>(y) * width_ + x1], std::max(x2 - x1, 0), argb);
        };
        if (rectCount <= 0 || !rects)
            fill(viewport.x, viewport.y, viewport.x + viewport.width, viewport.y + viewport.height);
        else
            for (int i = 0; i < rectCount; ++i) fill(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    }
    void Draw(const DrawState&, Primitive, const void*, int, const VertexLayout&, const uint16_t*, int,
              int, int) override {}
    TextureHandle CreateTexture() override { return ++lastTexture_; }
    void UploadTexture(TextureHandle, const void*, int, int, int, TexelLayout) override {}
    void DeleteTexture(TextureHandle) override {}
    void ReadBackBuffer(uint32_t* pixels) override {
        if (pixels) std::copy(pixels_.begin(), pixels_.end(), pixels);
    }
    void WriteBackBuffer(const uint32_t* pixels) override {
        if (pixels) std::copy(pixels, pixels + pixels_.size(), pixels_.begin());
    }
    void Present() override {}

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
    TextureHandle lastTexture_ = 0;
};

}  // namespace

std::unique_ptr<RenderDevice> CreateNullRenderDevice() { return std::make_unique<NullRenderDevice>(); }

}  // namespace velmora::platform
