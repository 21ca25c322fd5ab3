// Face adjacency: vertices at one place count as one (their representative),
// and two faces are neighbours across an edge that one runs forwards and the
// other backwards.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "AllocationGuard.h"
#include "MeshObject.h"

namespace d3dx {
namespace {

struct Point {
    float x, y, z;
};

bool HasPosition(DWORD fvf) { return (fvf & D3DFVF_POSITION_MASK) != 0; }

Point PositionOf(const MeshContent& content, DWORD vertex) {
    Point p;
    std::memcpy(&p, content.vertices.data() + size_t(vertex) * content.stride, sizeof p);
    return p;
}

uint32_t KeyBits(float value) {
    if (value == 0.0f) value = 0.0f;  // -0 and +0 are one place
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

struct PointKey {
    uint32_t x, y, z;
    bool operator==(const PointKey&) const = default;
};
struct PointKeyHash {
    size_t operator()(const PointKey& k) const {
        return (size_t(k.x) * 0x9E3779B1u) ^ (size_t(k.y) * 0x85EBCA77u) ^ (size_t(k.z) * 0xC2B2AE3Du);
    }
};

std::vector<DWORD> ExactRepresentatives(const MeshContent& content) {
    const DWORD count = content.VertexCount();
    std::vector<DWORD> reps(count);
    std::unordered_map<PointKey, DWORD, PointKeyHash> first;
    for (DWORD v = 0; v < count; ++v) {
        const Point p = PositionOf(content, v);
        reps[v] = v;
        if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) continue;  // nowhere: never shared
        reps[v] = first.try_emplace(PointKey{KeyBits(p.x), KeyBits(p.y), KeyBits(p.z)}, v).first->second;
    }
    return reps;
}

std::vector<DWORD> NearRepresentatives(const MeshContent& content, float epsilon) {
    const DWORD count = content.VertexCount();
    std::vector<Point> points(count);
    std::vector<DWORD> byX(count), reps(count);
    for (DWORD v = 0; v < count; ++v) {
        points[v] = PositionOf(content, v);
        byX[v] = v;
        reps[v] = v;
    }
    const auto xLess = [&](DWORD a, DWORD b) { return points[a].x < points[b].x || (points[a].x == points[b].x && a < b); };
    std::sort(byX.begin(), byX.end(), [&](DWORD a, DWORD b) {
        // NaN sorts last so the order stays strict.
        const bool na = std::isnan(points[a].x), nb = std::isnan(points[b].x);
        if (na != nb) return nb;
        return na ? a < b : xLess(a, b);
    });
    for (DWORD v = 0; v < count; ++v) {
        const Point& p = points[v];
        if (std::isnan(p.x)) continue;
        auto it = std::partition_point(byX.begin(), byX.end(), [&](DWORD u) {
            return !std::isnan(points[u].x) && points[u].x < p.x - epsilon;
        });
        for (; it != byX.end() && !std::isnan(points[*it].x) && points[*it].x <= p.x + epsilon; ++it) {
            const DWORD u = *it;
            if (u < reps[v] && reps[u] == u && std::fabs(points[u].y - p.y) <= epsilon &&
                std::fabs(points[u].z - p.z) <= epsilon)
                reps[v] = u;
        }
    }
    return reps;
}

uint64_t EdgeKey(DWORD from, DWORD to) { return (uint64_t(from) << 32) | to; }

}  // namespace

std::vector<DWORD> PointRepresentatives(const MeshContent& content, float epsilon) {
    if (!HasPosition(content.fvf)) {
        std::vector<DWORD> reps(content.VertexCount());
        for (DWORD v = 0; v < reps.size(); ++v) reps[v] = v;
        return reps;
    }
    return epsilon > 0.0f ? NearRepresentatives(content, epsilon) : ExactRepresentatives(content);
}

void AdjacencyFromRepresentatives(const MeshContent& content, const DWORD* reps, DWORD* adjacency) {
    const DWORD faces = content.FaceCount();
    const auto corner = [&](DWORD face, DWORD k) { return reps[content.indices[size_t(face) * 3 + k % 3]]; };
    std::unordered_map<uint64_t, std::vector<DWORD>> edges;  // forward edge -> face * 3 + side
    for (DWORD f = 0; f < faces; ++f) {
        for (DWORD k = 0; k < 3; ++k) {
            adjacency[size_t(f) * 3 + k] = kNoNeighbour;
            const DWORD a = corner(f, k), b = corner(f, k + 1);
            if (a != b) edges[EdgeKey(a, b)].push_back(f * 3 + k);
        }
    }
    for (DWORD f = 0; f < faces; ++f) {
        for (DWORD k = 0; k < 3; ++k) {
            DWORD& mine = adjacency[size_t(f) * 3 + k];
            const DWORD a = corner(f, k), b = corner(f, k + 1);
            if (mine != kNoNeighbour || a == b) continue;
            auto found = edges.find(EdgeKey(b, a));
            if (found == edges.end()) continue;
            for (DWORD side : found->second) {
                const DWORD other = side / 3;
                if (other == f || adjacency[side] != kNoNeighbour) continue;
                mine = other;
                adjacency[side] = f;
                break;
            }
        }
    }
}

HRESULT Mesh::GenerateAdjacency(FLOAT epsilon, DWORD* adjacency) {
    if (!adjacency || !(epsilon >= 0.0f)) return D3DERR_INVALIDCALL;
    return GuardAllocation([&]() -> HRESULT {
        MeshContent content;
        HRESULT hr = ReadContent(content);
        if (SUCCEEDED(hr)) hr = CheckFaceIndices(content);
        if (FAILED(hr)) return hr;
        const std::vector<DWORD> reps = PointRepresentatives(content, epsilon);
        AdjacencyFromRepresentatives(content, reps.data(), adjacency);
        return D3D_OK;
    });
}

HRESULT Mesh::ConvertPointRepsToAdjacency(const DWORD* pointReps, DWORD* adjacency) {
    if (!adjacency) return D3DERR_INVALIDCALL;
    return GuardAllocation([&]() -> HRESULT {
        MeshContent content;
        HRESULT hr = ReadContent(content);
        if (SUCCEEDED(hr)) hr = CheckFaceIndices(content);
        if (FAILED(hr)) return hr;
        std::vector<DWORD> reps(content.VertexCount());
        for (DWORD v = 0; v < reps.size(); ++v) {
            reps[v] = pointReps ? pointReps[v] : v;
            if (reps[v] >= reps.size()) return D3DERR_INVALIDCALL;
        }
        AdjacencyFromRepresentatives(content, reps.data(), adjacency);
        return D3D_OK;
    });
}

HRESULT Mesh::ConvertAdjacencyToPointReps(const DWORD*, DWORD*) { return E_NOTIMPL; }

}  // namespace d3dx
