#include "scene/normals.h"

#include <cmath>

D3DVECTOR NormalizeVector(D3DVECTOR vector) {
    float length = std::sqrt(vector.x * vector.x + vector.y * vector.y + vector.z * vector.z);
    if (length == 0.0f) length = 0.0000001f;
    vector.x /= length;
    vector.y /= length;
    vector.z /= length;
    return vector;
}

D3DVECTOR FaceNormal(const Vertex& p0, const Vertex& p1, const Vertex& p2) {
    D3DVECTOR normal;
    normal.x = (p1.y - p0.y) * (p2.z - p0.z) - (p2.y - p0.y) * (p1.z - p0.z);
    normal.y = (p1.z - p0.z) * (p2.x - p0.x) - (p2.z - p0.z) * (p1.x - p0.x);
    normal.z = (p2.y - p0.y) * (p1.x - p0.x) - (p1.y - p0.y) * (p2.x - p0.x);
    return NormalizeVector(normal);
}

void ComputePartNormals(SceneObject* object, int32_t part) {
    Vertex* vertices = object->partVertices[part];
    int32_t vertexCount = object->partVertexCounts[part];
    const Polygon* polygons = object->partPolygons[part];
    int32_t polygonCount = object->partPolygonCounts[part];

    for (int32_t v = 0; v < vertexCount; ++v) vertices[v].nx = vertices[v].ny = vertices[v].nz = 0.0f;
    for (int32_t i = 0; i < polygonCount; ++i) {
        const uint16_t* index = polygons[i].index;
        if (index[0] >= vertexCount || index[1] >= vertexCount || index[2] >= vertexCount) continue;
        D3DVECTOR normal = FaceNormal(vertices[index[0]], vertices[index[1]], vertices[index[2]]);
        for (int corner = 0; corner < 3; ++corner) {
            Vertex& vertex = vertices[index[corner]];
            vertex.nx += normal.x;
            vertex.ny += normal.y;
            vertex.nz += normal.z;
        }
    }
    for (int32_t v = 0; v < vertexCount; ++v) {
        Vertex& vertex = vertices[v];
        D3DVECTOR sum = NormalizeVector(D3DVECTOR{{vertex.nx}, {vertex.ny}, {vertex.nz}});
        vertex.nx = sum.x;
        vertex.ny = sum.y;
        vertex.nz = sum.z;
    }
}

void ComputeDrawnSideNormals(SceneObject* object, int32_t part) {
    ComputePartNormals(object, part);
    Vertex* vertices = object->partVertices[part];
    for (int32_t v = 0; v < object->partVertexCounts[part]; ++v) {
        // 0 - n rather than -n, so that a vertex with no triangle keeps +0.
        vertices[v].nx = 0.0f - vertices[v].nx;
        vertices[v].ny = 0.0f - vertices[v].ny;
        vertices[v].nz = 0.0f - vertices[v].nz;
    }
}
