// The scene renderer: one scene at its current animation position, once per
// camera that is on and per motion-trail frame, opaque parts first.
#pragma once

#include "platform/ddraw/d3d.h"
#include "scene/scene.h"

// Draws the scene on d3dDevice as one BeginScene/EndScene block: S_OK, or
// E_FAIL when BeginScene fails (or there is no device or scene).
HRESULT RenderScene(Scene* scene);
// Each element a x (1 - f) + b x f, f the fraction of t.
D3DMATRIX InterpolateMatrix(float t, D3DMATRIX a, D3DMATRIX b);
// The type of a; every other member a x (1 - f) + b x f, f the fraction of t.
D3DLIGHT7 InterpolateLight(float t, D3DLIGHT7 a, D3DLIGHT7 b);
