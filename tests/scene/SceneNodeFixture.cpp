#include "SceneNodeFixture.h"

#include <sstream>

#include "scene/NodeRegistration.h"
#include "shell/ModuleExports.h"
#include "shell/ShellGlobals.h"
#include "win32/Control.h"

namespace scene_test {
namespace {

std::string Words(std::initializer_list<std::string> words) {
    std::ostringstream out;
    const char* gap = "";
    for (const std::string& w : words) {
        out << gap << w;
        gap = " ";
    }
    return out.str();
}

std::string Number(float v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

std::string NameOf(IK3DSceneNode* node) {
    if (!node) return "null";
    if (auto* test = dynamic_cast<TestNode*>(node)) return test->Name();
    return "node";
}

bool NoteRegister(IK3DSceneNode* node) {
    Registrations().push_back({'+', node});
    return true;
}

bool NoteUnregister(IK3DSceneNode* node) {
    Registrations().push_back({'-', node});
    return true;
}

void ResetAll() {
    lumiva::win32::ResetForTests();
    lumiva::win32::InstallManualClock(0);
    g_FrameTime = 0;
    ResetNodeRegistrationForTests();
    attached_model::SetDoubleForTests(nullptr);
    Registrations().clear();
}

}  // namespace

std::vector<Registration>& Registrations() {
    static std::vector<Registration> calls;
    return calls;
}

void SceneNodeTest::SetUp() { ResetAll(); }

void SceneNodeTest::TearDown() {
    ResetAll();
    lumiva::win32::ResetForTests();
}

void SceneNodeTest::InstallCountingHost() {
    g_SetRegisterNodeFn(NoteRegister);
    g_SetUnregisterNodeFn(NoteUnregister);
}

TestNode::TestNode(Journal* journal, std::string name, float x, float y, float z)
    : KModelNodeBase(0, 0, 0, x, y, z), m_journal(journal), m_name(std::move(name)) {}

TestNode::~TestNode() = default;

bool TestNode::BindTo(IK3DSceneNode* parent, const char* bone, const char* secondBone) {
    m_journal->push_back(
        Words({m_name, "BindTo", NameOf(parent), bone ? bone : "null", secondBone ? secondBone : "null"}));
    return true;
}

bool TestNode::Unbind(IK3DSceneNode* parent) {
    m_journal->push_back(Words({m_name, "Unbind", NameOf(parent)}));
    return true;
}

bool TestNode::Update() {
    m_journal->push_back(Words({m_name, "Update"}));
    return updateResult;
}

FakeEffectNode::FakeEffectNode(Journal* journal, DWORD duration)
    : KModelNodeBase(0, 0, 0, 0, 0, 0), m_journal(journal), m_duration(duration) {}

int FakeEffectNode::SetStartOffset(int ms) {
    m_journal->push_back("effect SetStartOffset " + std::to_string(ms));
    return 1;
}

void FakeEffectNode::SetPosition(float x, float y, float z, DWORD duration) {
    m_journal->push_back(Words({"effect SetPosition", Number(x), Number(y), Number(z), std::to_string(duration)}));
    KModelNodeBase::SetPosition(x, y, z, duration);
}

DWORD FakeEffectNode::GetDuration(DWORD* duration) {
    m_journal->push_back("effect GetDuration");
    *duration = m_duration;
    return m_duration;
}

bool FakeEffectNode::Update() {
    m_journal->push_back("effect Update");
    return true;
}

void FakeModelSeam::SetShapeFlag(KModelProxy* handle, DWORD value) {
    model = handle;
    m_journal->push_back("model SetShapeFlag " + std::to_string(value));
}

void FakeModelSeam::SetPosition(KModelProxy* handle, float x, float y, float z, DWORD duration) {
    model = handle;
    m_journal->push_back(Words({"model SetPosition", Number(x), Number(y), Number(z), std::to_string(duration)}));
}

void FakeModelSeam::SetScale(KModelProxy* handle, float x, float y, float z) {
    model = handle;
    m_journal->push_back(Words({"model SetScale", Number(x), Number(y), Number(z)}));
}

void FakeModelSeam::SetHeading(KModelProxy* handle, float a, float b, float c, DWORD duration, BYTE shortest) {
    model = handle;
    heading[0] = a;
    heading[1] = b;
    heading[2] = c;
    headingDuration = duration;
    headingShortest = shortest;
    m_journal->push_back("model SetHeading");
}

void FakeModelSeam::UpdateTree(KModelProxy* handle, DWORD argument) {
    model = handle;
    m_journal->push_back("model UpdateTree " + std::to_string(argument));
}

}  // namespace scene_test
