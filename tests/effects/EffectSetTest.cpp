// Effect sets and elements: their tables, serial ids, adding, removing,
// duplicating, cloning, inserting, updating and comparing elements, file
// names, and the evaluator's points and key times.
#include <gtest/gtest.h>

#include "effects/EffectFileFixture.h"
#include "scene/KFrameTimer.h"
#include "support/VirtualSlot.h"

namespace effect_file_test {
namespace {

using test_support::SlotOf;

TEST(EffectSetSlots, SetEvaluatorAndElementOperationsInOrder) {
    const long set[] = {
        SlotOf(&IK3DEffectSet::GetElement),       SlotOf(&IK3DEffectSet::GetElementTracks),
        SlotOf(&IK3DEffectSet::FindElement),      SlotOf(&IK3DEffectSet::FindElementTracks),
        SlotOf(&IK3DEffectSet::SetSpinSpeed),     SlotOf(&IK3DEffectSet::SetDuration),
        SlotOf(&IK3DEffectSet::GetName),          SlotOf(&IK3DEffectSet::SetName),
        SlotOf(&IK3DEffectSet::GetSpinSpeed),     SlotOf(&IK3DEffectSet::GetDuration),
        SlotOf(&IK3DEffectSet::AddElement),       SlotOf(&IK3DEffectSet::RemoveElementAt),
        SlotOf(&IK3DEffectSet::RemoveElement),    SlotOf(&IK3DEffectSet::SaveToFile),
        SlotOf(&IK3DEffectSet::SaveRange),        SlotOf(&IK3DEffectSet::GetElementCount),
        SlotOf(&IK3DEffectSet::DuplicateElement), SlotOf(&IK3DEffectSet::CloneElement),
        SlotOf(&IK3DEffectSet::InsertElement),    SlotOf(&IK3DEffectSet::FindElementIndex),
        SlotOf(&IK3DEffectSet::UpdateElement),    SlotOf(&IK3DEffectSet::ElementsEqual),
        SlotOf(&IK3DEffectSet::SetAdditiveBlend), SlotOf(&IK3DEffectSet::GetAdditiveBlend),
        SlotOf(&IK3DEffectSet::SetExtraValue),    SlotOf(&IK3DEffectSet::GetExtraValue),
    };
    for (long i = 0; i < long(std::size(set)); ++i) EXPECT_EQ(set[i], i) << "set operation " << i;
    const long evaluator[] = {
        SlotOf(&I3DEffectEvaluator::SamplePosition),        SlotOf(&I3DEffectEvaluator::SampleRotation),
        SlotOf(&I3DEffectEvaluator::SampleColor),           SlotOf(&I3DEffectEvaluator::SampleScale),
        SlotOf(&I3DEffectEvaluator::SampleVisible),         SlotOf(&I3DEffectEvaluator::SampleOffset),
        SlotOf(&I3DEffectEvaluator::TransformPoint),        SlotOf(&I3DEffectEvaluator::TransformElementPoint),
        SlotOf(&I3DEffectEvaluator::GetAdjacentKeyTime),    SlotOf(&I3DEffectEvaluator::CollectKeyTimes),
    };
    for (long i = 0; i < long(std::size(evaluator)); ++i) EXPECT_EQ(evaluator[i], i) << "evaluator operation " << i;
    const long element[] = {
        SlotOf(&IK3DEffectElement::GetId),          SlotOf(&IK3DEffectElement::GetType),
        SlotOf(&IK3DEffectElement::GetBrightness),  SlotOf(&IK3DEffectElement::GetName),
        SlotOf(&IK3DEffectElement::GetPivot),       SlotOf(&IK3DEffectElement::GetDimension),
        SlotOf(&IK3DEffectElement::GetSegments),    SlotOf(&IK3DEffectElement::GetFileName),
        SlotOf(&IK3DEffectElement::GetMappingMode), SlotOf(&IK3DEffectElement::GetAnimSpeed),
        SlotOf(&IK3DEffectElement::GetFrameOffset), SlotOf(&IK3DEffectElement::IsSelected),
        SlotOf(&IK3DEffectElement::SetBrightness),  SlotOf(&IK3DEffectElement::SetName),
        SlotOf(&IK3DEffectElement::SetPivot),       SlotOf(&IK3DEffectElement::SetDimension),
        SlotOf(&IK3DEffectElement::SetSegments),    SlotOf(&IK3DEffectElement::SetFileName),
        SlotOf(&IK3DEffectElement::SetMappingMode), SlotOf(&IK3DEffectElement::SetAnimSpeed),
        SlotOf(&IK3DEffectElement::SetFrameOffset), SlotOf(&IK3DEffectElement::SetSelected),
    };
    for (long i = 0; i < long(std::size(element)); ++i) EXPECT_EQ(element[i], i) << "element operation " << i;
}

TEST_F(EffectFileTest, AddedElementsTakeConsecutiveIdsAndTheirTypeDefaults) {
    K3DEffectSet set;
    K3DEffectElement* element = nullptr;
    K3DEffectKeyTracks* tracks = nullptr;
    struct Case {
        int type;
        int mappingMode;
        int segments1;
    };
    const Case cases[] = {{1, 1, 0}, {3, 4, 0}, {6, 1, 1}, {4, 1, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(set.AddElement(&element, &tracks, cases[i].type), i + 1);
        EXPECT_EQ(element, set.GetElement(i));
        EXPECT_EQ(tracks, set.GetElementTracks(i));
        EXPECT_EQ(element->Type(), cases[i].type);
        EXPECT_EQ(element->record.mappingMode, cases[i].mappingMode) << cases[i].type;
        EXPECT_EQ(element->record.segments[0], cases[i].segments1) << cases[i].type;
        EXPECT_EQ(element->record.animSpeed, 1.0f);
    }
    int count = 0;
    EXPECT_EQ(set.GetElementCount(&count), 4);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(set.FindElement(3), set.GetElement(2));
    EXPECT_EQ(set.FindElementTracks(3), set.GetElementTracks(2));
    EXPECT_EQ(set.FindElementIndex(4), 3);
    EXPECT_EQ(set.FindElementIndex(9), -1);
    EXPECT_EQ(set.FindElement(9), nullptr);
    EXPECT_EQ(set.GetElement(-1), nullptr);
    EXPECT_EQ(set.GetElementTracks(4), nullptr);
}

TEST_F(EffectFileTest, RemovingTakesElementAndTracksTogether) {
    K3DEffectSet set;
    for (int type : {1, 2, 3}) set.AddElement(nullptr, nullptr, type);
    EXPECT_FALSE(set.RemoveElementAt(3));
    EXPECT_FALSE(set.RemoveElementAt(-1));
    EXPECT_FALSE(set.RemoveElement(7));
    EXPECT_TRUE(set.RemoveElement(2));
    EXPECT_TRUE(set.RemoveElementAt(0));
    ASSERT_EQ(set.ElementCount(), 1);
    EXPECT_EQ(set.TracksCount(), 1);
    EXPECT_EQ(set.GetElement(0)->Id(), 3u);
}

TEST_F(EffectFileTest, ElementFieldsKeepTheirBounds) {
    K3DEffectElement e;
    e.SetName(std::string(50, 'a').c_str());
    std::string name;
    e.GetName(&name);
    EXPECT_EQ(name, std::string(31, 'a'));
    e.SetFileName(std::string(80, 'b').c_str());
    e.GetFileName(&name);
    EXPECT_EQ(name, std::string(63, 'b'));
    e.SetSelected(0x1FF);
    int selected = 0;
    e.IsSelected(&selected);
    EXPECT_EQ(selected, 0xFF);
    e.SetDimension(2, 5.0f);
    e.SetDimension(4, 9.0f);
    float d = -1;
    e.GetDimension(2, &d);
    EXPECT_EQ(d, 5.0f);
    e.GetDimension(0, &d);
    EXPECT_EQ(d, 5.0f);  // untouched
    e.SetSegments(2, 8);
    e.SetSegments(3, 9);
    int s = -1;
    e.GetSegments(2, &s);
    EXPECT_EQ(s, 8);
    e.GetSegments(3, &s);
    EXPECT_EQ(s, 0);
    e.SetBrightness(-128);
    int b = 0;
    e.GetBrightness(&b);
    EXPECT_EQ(b, -128);
}

TEST_F(EffectFileTest, DuplicatesAreAppendedWithTheirOwnNameAndCopiedKeys) {
    K3DEffectSet set;
    K3DEffectElement* source = nullptr;
    K3DEffectKeyTracks* sourceTracks = nullptr;
    set.AddElement(&source, &sourceTracks, 4);
    source->SetName("ring");
    source->SetBrightness(12);
    source->SetSelected(1);
    source->SetPivot(1, 2, 3);
    source->SetSegments(1, 24);
    source->SetMappingMode(2);
    source->SetFrameOffset(3);
    sourceTracks->AddColorKey(0xFF112233, 50);
    sourceTracks->AddPositionKey(1, 1, 1, 70);
    K3DEffectElement* copy = nullptr;
    K3DEffectKeyTracks* copyTracks = nullptr;
    set.DuplicateElement(&copy, &copyTracks, source->Id());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copyTracks, nullptr);
    EXPECT_EQ(set.GetElement(1), copy);
    EXPECT_EQ(set.GetElementTracks(1), copyTracks);
    EXPECT_EQ(copy->Id(), 2u);
    EXPECT_STREQ(copy->record.name, "Primitive2");
    EXPECT_EQ(copy->Type(), 4);
    EXPECT_EQ(copy->Pivot(), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(copy->record.segments[0], 24);
    EXPECT_EQ(copy->record.mappingMode, 2);
    EXPECT_EQ(copy->record.frameOffset, 3);
    EXPECT_EQ(copy->record.brightness, 0);  // brightness and selection are not copied
    EXPECT_EQ(copy->selected, 0u);
    EXPECT_TRUE(*copyTracks == *sourceTracks);
    EXPECT_NE(copyTracks, sourceTracks);
    // No element with the id: both outputs null, nothing added.
    set.DuplicateElement(&copy, &copyTracks, 99);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(copyTracks, nullptr);
    EXPECT_EQ(set.ElementCount(), 2);
    EXPECT_TRUE(set.ListsInStep());
}

TEST_F(EffectFileTest, ADuplicateWhosePictureCannotBeHadIsDropped) {
    MakeCreatedShell();
    WriteSprite("fx/ok.spr", 2, 40);
    K3DEffectSet set;
    K3DEffectElement* source = nullptr;
    set.AddElement(&source, nullptr, 1);
    source->SetFileName("\\fx\\ok.spr");
    K3DEffectElement* copy = nullptr;
    K3DEffectKeyTracks* copyTracks = nullptr;
    set.DuplicateElement(&copy, &copyTracks, source->Id());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->FrameTimer(), nullptr);
    EXPECT_NE(copy->FrameTimer(), source->FrameTimer());
    EXPECT_EQ(copy->FrameTimer()->frameCount, 2);
    std::memcpy(source->record.fileName, "\\fx\\gone.spr", 13);
    K3DEffectKeyTracks untouched;
    copyTracks = &untouched;
    set.DuplicateElement(&copy, &copyTracks, source->Id());
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(copyTracks, &untouched);
    EXPECT_EQ(set.ElementCount(), 2);
    EXPECT_TRUE(set.ListsInStep());
}

TEST_F(EffectFileTest, ADuplicateOfAnElementWithoutTracksGetsEmptyOnes) {
    a3e::File file = FileOfTypes({2, 2});
    file.tracks[1].countOverride[a3e::kScale] = 9;  // refused: the second element has no tracks
    WriteEffect("fx/partial.a3e", file);
    int result = 1;
    auto set = Load("fx\\partial.a3e", &result);
    ASSERT_EQ(result, 0);
    ASSERT_EQ(set->TracksCount(), 1);
    K3DEffectElement* copy = nullptr;
    K3DEffectKeyTracks* copyTracks = nullptr;
    set->DuplicateElement(&copy, &copyTracks, set->GetElement(1)->Id());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copyTracks, nullptr);
    EXPECT_TRUE(*copyTracks == K3DEffectKeyTracks());
}

TEST_F(EffectFileTest, ClonesAreDetachedCopiesWithTheSameId) {
    K3DEffectSet set;
    K3DEffectElement* source = nullptr;
    K3DEffectKeyTracks* sourceTracks = nullptr;
    set.AddElement(&source, &sourceTracks, 2);
    source->SetName("quad");
    source->SetSelected(1);
    source->SetDimension(1, 40);
    source->SetAnimSpeed(2.5f);
    sourceTracks->AddScaleKey(2, 2, 2, 100);
    K3DEffectElement* clone = nullptr;
    K3DEffectKeyTracks* cloneTracks = nullptr;
    set.CloneElement(&clone, &cloneTracks, source->Id());
    ASSERT_NE(clone, nullptr);
    std::unique_ptr<K3DEffectElement> ownedClone(clone);
    std::unique_ptr<K3DEffectKeyTracks> ownedTracks(cloneTracks);
    EXPECT_EQ(set.ElementCount(), 1);
    EXPECT_EQ(clone->Id(), source->Id());
    EXPECT_STREQ(clone->record.name, "quad");
    EXPECT_EQ(clone->selected, 1u);
    EXPECT_EQ(clone->record.dimension[0], 40.0f);
    EXPECT_EQ(clone->record.animSpeed, 2.5f);
    EXPECT_TRUE(set.ElementsEqual(clone, cloneTracks, source->Id()));
    set.CloneElement(&clone, &cloneTracks, 77);
    EXPECT_EQ(clone, nullptr);
    EXPECT_EQ(cloneTracks, nullptr);
}

TEST_F(EffectFileTest, UpdateAndCompareServeUndo) {
    K3DEffectSet set;
    K3DEffectElement* element = nullptr;
    K3DEffectKeyTracks* tracks = nullptr;
    set.AddElement(&element, &tracks, 1);
    element->SetName("before");
    tracks->AddVisibleKey(0, 10);
    K3DEffectElement* saved = nullptr;
    K3DEffectKeyTracks* savedTracks = nullptr;
    set.CloneElement(&saved, &savedTracks, element->Id());
    std::unique_ptr<K3DEffectElement> ownedSaved(saved);
    std::unique_ptr<K3DEffectKeyTracks> ownedTracks(savedTracks);

    // Each edit makes the element differ from the saved copy.
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"selection", [&] { element->SetSelected(1); }},
        {"pivot", [&] { element->SetPivot(0, 0, 1); }},
        {"dimension 3", [&] { element->SetDimension(3, 1); }},
        {"segments 2", [&] { element->SetSegments(2, 1); }},
        {"file name", [&] { std::memcpy(element->record.fileName, "x", 2); }},
        {"mapping mode", [&] { element->SetMappingMode(3); }},
        {"animation speed", [&] { element->SetAnimSpeed(0.5f); }},
        {"frame offset", [&] { element->SetFrameOffset(1); }},
        {"name", [&] { element->SetName("after"); }},
        {"a key", [&] { tracks->AddRotationKey(1, 5); }},
        {"a key time", [&] { tracks->SetVisibleKey(0, 0, 11); }},
    };
    for (const auto& [what, edit] : edits) {
        edit();
        EXPECT_FALSE(set.ElementsEqual(saved, savedTracks, element->Id())) << what;
        set.UpdateElement(saved, savedTracks, element->Id());
        EXPECT_TRUE(set.ElementsEqual(saved, savedTracks, element->Id())) << what;
    }
    // Type and brightness are not compared.
    element->SetBrightness(9);
    EXPECT_TRUE(set.ElementsEqual(saved, savedTracks, element->Id()));
    // Unknown ids: updates are skipped, and there are no tracks to match.
    set.UpdateElement(saved, savedTracks, 50);
    EXPECT_FALSE(set.ElementsEqual(saved, savedTracks, 50));
    EXPECT_FALSE(set.ElementsEqual(saved, nullptr, element->Id()));
}

TEST_F(EffectFileTest, InsertTakesOwnershipOnlyOfAWholePairInRange) {
    K3DEffectSet set;
    set.AddElement(nullptr, nullptr, 1);
    auto element = std::make_unique<K3DEffectElement>();
    auto tracks = std::make_unique<K3DEffectKeyTracks>();
    EXPECT_FALSE(set.InsertElement(element.get(), nullptr, 0));
    EXPECT_FALSE(set.InsertElement(nullptr, tracks.get(), 0));
    EXPECT_FALSE(set.InsertElement(element.get(), tracks.get(), 2));
    EXPECT_FALSE(set.InsertElement(element.get(), tracks.get(), -1));
    EXPECT_EQ(set.ElementCount(), 1);
    ASSERT_TRUE(set.InsertElement(element.get(), tracks.get(), 0));
    EXPECT_EQ(set.GetElement(0), element.release());
    EXPECT_EQ(set.GetElementTracks(0), tracks.release());
    EXPECT_TRUE(set.ListsInStep());
}

TEST_F(EffectFileTest, SettingAPictureNameSwapsTheTimerOnlyForAPictureThatIsThere) {
    MakeCreatedShell();
    WriteSprite("fx/a.spr", 4, 25);
    K3DEffectElement e;
    e.record.type = 2;
    EXPECT_EQ(e.SetFileName("\\fx\\a.spr"), 1);
    KFrameTimer* timer = e.FrameTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->frameCount, 4);
    EXPECT_EQ(timer->frameInterval, 25);
    EXPECT_EQ(e.SetFileName("\\fx\\missing.spr"), 1);
    EXPECT_EQ(e.FrameTimer(), timer);  // the old timer stays
    std::string name;
    e.GetFileName(&name);
    EXPECT_EQ(name, "\\fx\\missing.spr");
    // An empty name drops the timer and the name.
    EXPECT_EQ(e.SetFileName(""), 1);
    EXPECT_EQ(e.FrameTimer(), nullptr);
    e.GetFileName(&name);
    EXPECT_EQ(name, "");
    // ... even when no picture was ever found for it: an undo must be able
    // to take back a name that only failed to load.
    e.SetFileName("\\fx\\missing.spr");
    e.SetFileName(nullptr);
    e.GetFileName(&name);
    EXPECT_EQ(name, "");
}

TEST_F(EffectFileTest, SettingAModelNameLoadsTheBaseNamesFiles) {
    UseFakeModels();
    {
        K3DEffectElement e;
        e.record.type = 6;
        EXPECT_EQ(e.SetFileName("models\\orb.v2.mesh"), 1);
        std::string name;
        e.GetFileName(&name);
        EXPECT_EQ(name, "models\\orb.v2");
        EXPECT_EQ(models.calls, (std::vector<std::string>{"Create", "SetMesh models\\orb.v2.Mesh",
                                                          "InitMesh models\\orb.v2.Mesh", "SetMaterial models\\orb.v2.Mtl",
                                                          "InitMaterial models\\orb.v2.Mtl",
                                                          "PlayAnimation models\\orb.v2.Ani 0 1"}));
        const char* played = models.playedName;
        // A failed mesh stops with 0; the handle stays and is not made anew.
        models.calls.clear();
        models.meshResult = E_FAIL;
        EXPECT_EQ(e.SetFileName("other"), 0);
        EXPECT_EQ(models.calls, (std::vector<std::string>{"SetMesh other.Mesh"}));
        // The name the handle kept is still the last one it played.
        EXPECT_EQ(played, models.playedName);
        EXPECT_STREQ(models.playedName, "models\\orb.v2.Ani");
        models.meshResult = S_OK;
        models.materialResult = E_FAIL;
        models.calls.clear();
        EXPECT_EQ(e.SetFileName("third"), 0);
        EXPECT_EQ(models.calls, (std::vector<std::string>{"SetMesh third.Mesh", "InitMesh third.Mesh",
                                                          "SetMaterial third.Mtl"}));
        // An empty name keeps the model and clears the name.
        EXPECT_EQ(e.SetFileName(""), 1);
        EXPECT_NE(e.Model(), nullptr);
        e.GetFileName(&name);
        EXPECT_EQ(name, "");
        models.calls.clear();
    }
    // The element's end gives the handle to ReleaseModel, once.
    EXPECT_EQ(models.calls, (std::vector<std::string>{"Release"}));
    EXPECT_EQ(models.Live(), 0);
}

TEST_F(EffectFileTest, WithoutAModelHandleTheModelCallsAreSkipped) {
    UseFakeModels();
    models.createFails = true;
    K3DEffectElement e;
    e.record.type = 6;
    EXPECT_EQ(e.SetFileName("orb"), 1);
    EXPECT_EQ(e.Model(), nullptr);
    EXPECT_EQ(models.calls, (std::vector<std::string>{"Create"}));
}

// Element 1: pivot (0, 1, 0), position keys (10, 0, 0) at 0 and (20, 0, 0) at
// 1000, offset (0, 0, 5) from 500; element 2 rotation keys only.
std::unique_ptr<K3DEffectSet> PointSet() {
    auto set = std::make_unique<K3DEffectSet>();
    K3DEffectElement* e = nullptr;
    K3DEffectKeyTracks* t = nullptr;
    set->AddElement(&e, &t, 1);
    e->SetPivot(0, 1, 0);
    t->AddPositionKey(10, 0, 0, 0);
    t->AddPositionKey(20, 0, 0, 1000);
    t->AddOffsetKey(0, 0, 5, 500);
    t->AddScaleKey(9, 9, 9, 300);
    set->AddElement(&e, &t, 2);
    t->AddRotationKey(1, 250);
    t->AddRotationKey(2, 500);
    return set;
}

TEST_F(EffectFileTest, AnElementsPointIsItsTranslationTurnedByTheSpin) {
    auto set = PointSet();
    float x = 7, y = 7, z = 7;
    set->TransformElementPoint(&x, &y, &z, 500, 1);
    EXPECT_FLOAT_EQ(x, 15.0f);
    EXPECT_FLOAT_EQ(y, 1.0f);
    EXPECT_FLOAT_EQ(z, 5.0f);
    // A quarter turn at 1000 ms (left-handed, row vectors): (x, y, z) goes
    // to (z, y, -x).
    set->SetSpinSpeed(1.5707964f);
    set->TransformPoint(&x, &y, &z, 1000, 1);
    EXPECT_NEAR(x, 5.0f, 1e-4);
    EXPECT_NEAR(y, 1.0f, 1e-4);
    EXPECT_NEAR(z, -20.0f, 1e-4);
    x = y = z = 7;
    set->TransformElementPoint(&x, &y, &z, 500, 3);
    EXPECT_EQ(x, 7.0f);
}

TEST_F(EffectFileTest, KeyTimesAreCollectedSortedWithoutDuplicates) {
    auto set = PointSet();
    std::vector<int> times;
    EXPECT_TRUE(set->CollectKeyTimes(&times, -1));
    EXPECT_TRUE(times.empty());
    EXPECT_TRUE(set->CollectKeyTimes(&times, 0));
    EXPECT_EQ(times, (std::vector<int>{0, 250, 300, 500, 1000}));
    times.clear();
    EXPECT_TRUE(set->CollectKeyTimes(&times, 2));
    EXPECT_EQ(times, (std::vector<int>{250, 500}));
    EXPECT_FALSE(set->CollectKeyTimes(&times, 3));
}

TEST_F(EffectFileTest, AdjacentKeyTimesStepThroughTheCollectedTimes) {
    auto set = PointSet();
    struct Case {
        int time;
        bool backwards;
        int expected;
    };
    const Case cases[] = {{250, false, 300}, {260, false, 300}, {1000, false, 1000}, {5000, false, 1000},
                          {250, true, 0},    {260, true, 250},  {0, true, 0},        {-9, true, 0}};
    for (const Case& c : cases) {
        int out = -1;
        EXPECT_TRUE(set->GetAdjacentKeyTime(c.time, c.backwards, &out, 0));
        EXPECT_EQ(out, c.expected) << c.time << (c.backwards ? " back" : " on");
    }
    int out = 42;
    EXPECT_TRUE(set->GetAdjacentKeyTime(10, false, &out, -1));  // no times: untouched
    EXPECT_EQ(out, 42);
    EXPECT_FALSE(set->GetAdjacentKeyTime(10, false, &out, 99));
}

TEST_F(EffectFileTest, EvaluatorSamplersLeaveTheOutputAloneWithoutTracks) {
    auto set = PointSet();
    D3DXVECTOR3 v(3, 3, 3);
    set->SamplePosition(&v, 500, nullptr);
    EXPECT_EQ(v, D3DXVECTOR3(3, 3, 3));
    set->SamplePosition(&v, 500, set->GetElementTracks(0));
    EXPECT_EQ(v, D3DXVECTOR3(15, 0, 0));
    set->SampleScale(&v, 150, set->GetElementTracks(0));
    EXPECT_EQ(v, D3DXVECTOR3(5, 5, 5));
}

}  // namespace
}  // namespace effect_file_test
