#include "render/scene_renderer.h"

HRESULT RenderScene(Scene*) { return S_OK; }
