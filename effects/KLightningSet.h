// Several lightning definitions drawn between the same two points, listed
// by a [LightningSet] ini file. The definitions are the cache's; the set
// holds one user of each it fetched. Drawing thread only.
#pragma once

#include <vector>

#include "scene/LiveHandles.h"

class KLightning;

class ILightningSet {
public:
    virtual bool Load(const char* path) = 0;
    virtual void SetStart(float x, float y, float z) = 0;
    virtual void SetEnd(float x, float y, float z) = 0;
    virtual void Reset() = 0;
    virtual ~ILightningSet() = default;
};

class KLightningSet final : public ILightningSet {
public:
    KLightningSet() = default;
    // Releases every definition it holds (uncaching their names).
    ~KLightningSet() override;
    KLightningSet(const KLightningSet&) = delete;
    KLightningSet& operator=(const KLightningSet&) = delete;

    // False on an unreadable file, a missing LightningNum or Lightning_i,
    // or a definition that does not load; the set then holds nothing, and
    // the definitions fetched before stay cached.
    bool Load(const char* path) override;
    void SetStart(float x, float y, float z) override;
    void SetEnd(float x, float y, float z) override;
    // Every definition starts a new life at its next Render.
    void Reset() override;
    // Render of every definition, in file order.
    void Draw();

    const std::vector<KLightning*>& Definitions() const { return m_definitions; }

    int count = 0;
    float start[3] = {0, 0, 0};
    float end[3] = {0, 0, 0};

private:
    KLiveMark<KLightningSet> m_live{this};
    void DropAll();

    std::vector<KLightning*> m_definitions;
};
