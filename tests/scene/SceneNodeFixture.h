// Test nodes that note what is done to them, a host that counts the
// registration callbacks, an effect-node double with a scene-node part, a
// double behind the attached-model seam, and the fixture that resets the
// clock, the random source, the frame time and the callbacks around each
// test. No shell exists here, so released attachments are only forgotten.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lumiva/IK3DEffectNode.h"
#include "scene/AttachedModelSeam.h"
#include "scene/KModelNodeBase.h"

namespace scene_test {

using Journal = std::vector<std::string>;

// A model-like node: BindTo, Unbind and Update are noted by name.
class TestNode : public KModelNodeBase {
public:
    TestNode(Journal* journal, std::string name, float x = 0, float y = 0, float z = 0);
    ~TestNode() override;

    bool BindTo(IK3DSceneNode* parent, const char* bone, const char* secondBone) override;
    bool Unbind(IK3DSceneNode* parent) override;
    bool Update() override;

    const std::string& Name() const { return m_name; }
    bool updateResult = true;

private:
    Journal* m_journal;
    std::string m_name;
};

// Laid out as the real effect node: the handle first, the node part second;
// counted among the module's effect nodes as the real one is.
class FakeEffectNode : public IK3DEffectNode, public KModelNodeBase {
public:
    FakeEffectNode(Journal* journal, DWORD duration);

    int SetStartOffset(int ms) override;
    void SetPosition(float x, float y, float z, DWORD duration) override;
    void SetDirection(float, float, float) override {}
    void SetScale(float, float, float) override {}
    void SetSpeed(float) override {}
    DWORD GetDuration(DWORD* duration) override;
    void SetEnabled(BYTE enabled) override { KModelNodeBase::SetEnabled(enabled); }
    bool IsValid() override { return true; }
    bool Update() override;

private:
    KLiveMark<IK3DEffectNode> m_live{this};
    Journal* m_journal;
    DWORD m_duration;
};

// What the attachment update hands the attached model.
class FakeModelSeam : public attached_model::IAttachedModelDouble {
public:
    explicit FakeModelSeam(Journal* journal) : m_journal(journal) {}

    void SetShapeFlag(KModelProxy* model, DWORD value) override;
    void SetPosition(KModelProxy* model, float x, float y, float z, DWORD duration) override;
    void SetScale(KModelProxy* model, float x, float y, float z) override;
    void SetHeading(KModelProxy* model, float a, float b, float c, DWORD duration, BYTE shortest) override;
    void UpdateTree(KModelProxy* model, DWORD argument) override;

    KModelProxy* model = nullptr;  // the handle of the last call
    float heading[3] = {};
    DWORD headingDuration = 0xFFFFFFFF;
    BYTE headingShortest = 0;

private:
    Journal* m_journal;
};

// One registration callback: '+' registered, '-' unregistered.
struct Registration {
    char kind;
    IK3DSceneNode* node;
    bool operator==(const Registration&) const = default;
};

// The callbacks the counting host received, in order.
std::vector<Registration>& Registrations();

class SceneNodeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The host's callbacks, set through the exports; they note into
    // Registrations().
    static void InstallCountingHost();

    // A stand-in handle: the seam double only compares it.
    KModelProxy* FakeHandle(int n) { return reinterpret_cast<KModelProxy*>(&m_handles[n]); }

    Journal journal;

private:
    char m_handles[4] = {};
};

}  // namespace scene_test
