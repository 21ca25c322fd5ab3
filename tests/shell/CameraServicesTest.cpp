// Camera services and screen mapping on the frame's matrices: view and
// screen points, map points at a height, projections, picks, sight lines,
// the free camera and the billboard state set.
#include <gtest/gtest.h>

#include <d3dx9.h>

#include "FrameFixture.h"
#include "shell/FrameState.h"
#include "shell/NeighbourServices.h"
#include "support/CallLogFixture.h"
#include "shell/ShellGlobals.h"

namespace shell_test {
namespace {

class CameraServices : public WithCallLog<FrameTest> {};

TEST_F(CameraServices, ViewAndScreenPointsConvertAroundTheViewOrigin) {
    Start();
    m_frameShell->viewOrigin[0] = 1000.5f;
    m_frameShell->viewOrigin[1] = 800.0f;
    const struct {
        int x, y, screenX, screenY;
    } toScreen[] = {{1000, 800, 399, 300}, {1001, 801, 400, 301}, {0, 0, -600, -500}, {600, 500, 0, 0}};
    for (const auto& c : toScreen) {
        int x = c.x, y = c.y;
        m_frameShell->ViewToScreen(&x, &y);
        EXPECT_EQ(x, c.screenX) << c.x;
        EXPECT_EQ(y, c.screenY) << c.y;
    }
    const struct {
        int x, y, viewX, viewY;
    } toView[] = {{400, 300, 1000, 800}, {400, 301, 1000, 802}, {0, 0, 600, 200}, {-1, -1, 599, 198}};
    for (const auto& c : toView) {
        int x = c.x, y = c.y;
        m_frameShell->ScreenToView(&x, &y);
        EXPECT_EQ(x, c.viewX) << c.x;
        EXPECT_EQ(y, c.viewY) << c.y;
    }
}

TEST_F(CameraServices, OrthographicScreenToMapLiftsByHeightWithAnArithmeticShift) {
    Start();
    m_frameShell->screenOffset[0] = 100;
    m_frameShell->screenOffset[1] = 200;
    const struct {
        int height, mapY;
    } cases[] = {{0, 440}, {1024, 2214}, {-1, 438}, {-1024, -1334}, {1, 440}, {2, 442}};
    for (const auto& c : cases) {
        int x = 10, y = 20;
        m_frameShell->ScreenToMap(&x, &y, c.height);
        EXPECT_EQ(x, 110) << c.height;
        EXPECT_EQ(y, c.mapY) << c.height;
    }
}

TEST_F(CameraServices, PerspectiveScreenToMapFollowsTheViewAxis) {
    Start();
    m_frameShell->SetOption(1, 1);
    m_frameShell->viewCentre[0] = m_frameShell->pendingViewCentre[0] = 300.0f;
    m_frameShell->viewCentre[1] = m_frameShell->pendingViewCentre[1] = 500.0f;
    Frame(10);
    const float* eye = m_frameShell->cameraPosition;
    for (int height : {0, 100, -50}) {
        int x = 400, y = 300;
        m_frameShell->ScreenToMap(&x, &y, height);
        const float t = (eye[2] - static_cast<float>(height)) / (eye[2] - 0.0f);
        const float expectedX = eye[0] + (300.0f - eye[0]) * t;
        const float expectedY = eye[1] + (500.0f - eye[1]) * t;
        EXPECT_NEAR(x, expectedX, 1.0f) << height;
        EXPECT_NEAR(y, expectedY, 1.0f) << height;
    }
}

TEST_F(CameraServices, ProjectionsPutTheViewCentreInTheMiddleAndHonourTheWorldOffsetFlag) {
    Start();
    m_frameShell->pendingViewCentre[0] = m_frameShell->viewCentre[0] = 40.0f;
    Frame(10);
    int x = 40, y = 0;
    m_frameShell->ProjectPoint(&x, &y, 0);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    float fx = 50.0f, fy = 0.0f;
    m_frameShell->ProjectPointF(&fx, &fy, 0.0f);
    EXPECT_NEAR(fx, 410.0f, 1e-3f);
    EXPECT_NEAR(fy, 300.0f, 1e-3f);

    m_frameShell->worldOffset[0] = 10.0f;
    int ox = 0, oy = 0;
    m_frameShell->ProjectPointOffset(&ox, &oy, 40, 0, 0);
    EXPECT_EQ(ox, 400);  // flag clear: offset ignored
    m_frameShell->worldOffsetSet = 1;
    float ofx = 0.0f, ofy = 0.0f;
    m_frameShell->ProjectPointOffsetF(&ofx, &ofy, 40.0f, 0.0f, 0.0f);
    EXPECT_NEAR(ofx, 410.0f, 1e-3f);
    m_frameShell->ProjectPointOffset(&ox, &oy, 40, 0, 0);
    EXPECT_EQ(ox, 410);
    EXPECT_EQ(oy, 300);
}

TEST_F(CameraServices, HitTestBoxIsStrictlyInsideTheProjectedCorners) {
    Start();
    Frame(10);
    // P2 projects to (410, y2), P3 to (390, y3): the box spans x 390..410.
    float x2 = 10.0f, y2 = -10.0f, x3 = -10.0f, y3 = 10.0f;
    m_frameShell->ProjectPointF(&x2, &y2, 0.0f);
    m_frameShell->ProjectPointF(&x3, &y3, 0.0f);
    ASSERT_LT(x3, x2);
    ASSERT_LT(y2, y3);
    const int top = static_cast<int>(std::ceil(y2)), bottom = static_cast<int>(std::floor(y3));
    const struct {
        int x, y;
        bool hit;
    } cases[] = {{400, (top + bottom) / 2, true}, {390, (top + bottom) / 2, false}, {410, (top + bottom) / 2, false},
                 {391, (top + bottom) / 2, true}, {400, bottom + 1, false}};
    for (const auto& c : cases)
        EXPECT_EQ(m_frameShell->HitTestBox(1e9f, 1e9f, 1e9f, 10.0f, -10.0f, 0.0f, -10.0f, 10.0f, 0.0f, c.x, c.y), c.hit)
            << c.x << "," << c.y;
}

TEST_F(CameraServices, SightLineCrossesTheRectangleOrNot) {
    Start();
    m_frameShell->cameraPosition[0] = 0.0f;
    m_frameShell->cameraPosition[1] = 100.0f;
    m_frameShell->cameraPosition[2] = 0.0f;
    const float a[3] = {-10, 0, 10}, b[3] = {10, 0, 10}, c[3] = {-10, 0, -10};
    const struct {
        float e[3];
        bool inRange;
    } cases[] = {
        {{0, -100, 0}, true},   // crosses at the origin
        {{18, -100, 0}, true},  // crosses at x 9
        {{22, -100, 0}, false}, // crosses at x 11
        {{0, -100, 22}, false}, // above the rectangle
        {{0, 100, 5}, false},   // parallel to the plane
    };
    for (const auto& k : cases)
        EXPECT_EQ(m_frameShell->IsInViewRange(a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2], 99, 99, 99, k.e[0],
                                              k.e[1], k.e[2]),
                  k.inRange)
            << k.e[0] << "," << k.e[1] << "," << k.e[2];
}

TEST_F(CameraServices, FreeCameraMovesAlongTwoAxesOnly) {
    Start();
    const struct {
        BYTE direction;
        float x, y;
    } cases[] = {{0, 0, -10}, {1, 0, 10}, {2, -10, 0}, {3, 10, 0}, {4, 0, 0}, {5, 0, 0}, {6, 0, 0}, {255, 0, 0}};
    for (const auto& c : cases) {
        m_frameShell->SetFreeCameraTarget(0.0f, 0.0f, 7.0f);
        m_frameShell->MoveFreeCamera(c.direction, 10);
        EXPECT_EQ(g_FreeCameraPoint[0], c.x) << int{c.direction};
        EXPECT_EQ(g_FreeCameraPoint[1], c.y) << int{c.direction};
        EXPECT_EQ(g_FreeCameraPoint[2], 7.0f);
    }
    m_frameShell->MoveFreeCamera(1, 65535);
    EXPECT_EQ(g_FreeCameraPoint[1], 65535.0f);
}

TEST_F(CameraServices, ZoomFactorSetsTheDistanceUnclamped) {
    Start();
    const struct {
        float factor, distance;
    } cases[] = {{0.0f, 2200.0f}, {1.0f, 4500.0f}, {2.0f, 6800.0f}, {0.5f, 3350.0f}};
    for (const auto& c : cases) {
        m_frameShell->SetZoomFactor(c.factor);
        EXPECT_EQ(m_frameShell->cameraDistance, c.distance);
    }
}

TEST_F(CameraServices, PresentExclusionAndDebugMeshesAreHandedOn) {
    Start();
    m_frameShell->SetPresentExclusion(1, 1, 2, 3, 4);
    EXPECT_EQ(g_PresentBandsOn, 1);
    EXPECT_EQ(g_PresentBandsRect[3], 4);
    neighbours::CallLog().clear();
    m_frameShell->RenderDebugMeshes(7, 8, 9);
    EXPECT_EQ(neighbours::CallLog(), std::vector<std::string>{"KDebugMeshSet::DrawDebugMeshes 7 8 9"});
}

TEST_F(CameraServices, BillboardStatesAreSetAndGivenBack) {
    Start();
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    m_device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    m_frameShell->BeginBillboardState(0);
    auto render = [&](D3DRENDERSTATETYPE state) {
        DWORD value = 0;
        m_device->GetRenderState(state, &value);
        return value;
    };
    auto sampler = [&](D3DSAMPLERSTATETYPE state) {
        DWORD value = 0;
        m_device->GetSamplerState(0, state, &value);
        return value;
    };
    EXPECT_EQ(render(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(render(D3DRS_ZENABLE), static_cast<DWORD>(TRUE));
    EXPECT_EQ(render(D3DRS_ZWRITEENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(render(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(sampler(D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));
    EXPECT_EQ(sampler(D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    m_frameShell->EndBillboardState(0);
    EXPECT_EQ(sampler(D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_CLAMP));
    EXPECT_EQ(sampler(D3DSAMP_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_MIRROR));
    EXPECT_EQ(sampler(D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
    EXPECT_EQ(render(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
    EXPECT_EQ(render(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(render(D3DRS_ZENABLE), static_cast<DWORD>(FALSE));
}

}  // namespace
}  // namespace shell_test
