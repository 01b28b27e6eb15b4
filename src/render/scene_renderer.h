// Draws a playing scene from each of its active cameras.
#pragma once

#include "platform/ddraw/d3d.h"
#include "scene/scene.h"

HRESULT RenderScene(Scene* scene);
