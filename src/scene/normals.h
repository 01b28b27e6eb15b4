// Vertex normals of triangle meshes: face normals, their normalised sums per
// vertex, within one part of an object so that edges between parts stay sharp.
#pragma once

#include <cstdint>

#include "scene/scene.h"

// The vector divided by its length; a zero vector stays zero.
D3DVECTOR NormalizeVector(D3DVECTOR vector);
// (p1 - p0) x (p2 - p0), normalised.
D3DVECTOR FaceNormal(const Vertex& p0, const Vertex& p1, const Vertex& p2);
// Fills nx, ny, nz of every vertex of the part from the part's triangles; a
// vertex no triangle uses gets (0, 0, 0).
void ComputePartNormals(SceneObject* object, int32_t part);
// The normals loading gives a part: those of ComputePartNormals turned to the
// side that is drawn. Faces that survive the clockwise back-face culling are
// wound counter-clockwise on screen, for which (p1 - p0) x (p2 - p0) points
// away from the viewer; lit by that, every drawn face would be lit from behind.
void ComputeDrawnSideNormals(SceneObject* object, int32_t part);
