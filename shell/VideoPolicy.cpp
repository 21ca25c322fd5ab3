#include "shell/VideoPolicy.h"

#include <cstring>

#include "lumiva/basrel/KIniFile.h"

KVideoPolicy g_VideoPolicy{};
uint32_t g_TexMemThreshold = kDefaultTexMemThreshold;
uint32_t g_TexMemTarget = kDefaultTexMemTarget;
D3DFORMAT g_RenderTextureFormat = D3DFMT_A8R8G8B8;
D3DFORMAT g_PictureTextureFormat = D3DFMT_X8R8G8B8;

namespace {

constexpr char kPolicyFile[] = "settings\\VideoPolicy.ini";
constexpr char kPolicySection[] = "VIDEO_POLICY";
constexpr char kConfigureFile[] = "Logs\\Configure.ini";
constexpr char kConfigureSection[] = "CONFIGURE";

constexpr uint32_t MB(uint32_t n) { return n << 20; }

// Upper bounds are exclusive; the last tier has none.
struct KTierRange {
    uint32_t below;
    KTextureBudgetTier tier;
};
constexpr KTierRange kTiers[] = {
    {MB(32), {"16_1", "16_2", MB(4), MB(4)}},
    {MB(64), {"32_1", "32_2", MB(4), MB(10)}},
    {MB(128), {"64_1", "64_2", MB(20), MB(30)}},
    {0xE1C0000, {"128_1", "128_2", MB(10), MB(25)}},
};
constexpr KTextureBudgetTier kTopTier = {"192_1", "192_2", MB(12), MB(30)};

struct KCardName {
    const char* text;
    int type;
};
// Searched in this order; the first hit wins.
constexpr KCardName kCardNames[] = {
    {"GeForce2", 2}, {"GeForce4", 3}, {"TNT2", 1}, {"Radeon 7000", 4}, {"Radeon 7200", 5},
};

constexpr int32_t kDefaultBillboardHigh = 40;
constexpr int32_t kDefaultBillboardLow = 20;
constexpr int32_t kDefaultAnimationDelay = 500;

bool SaveConfigureFile(const KVideoPolicy& policy) {
    KIniFile ini;
    ini.WriteInteger(kConfigureSection, "VideoCardType", policy.VideoCardType);
    ini.WriteInteger(kConfigureSection, "VideoMemory", policy.VideoMemory);
    ini.WriteInteger(kConfigureSection, "IsDesktop32BitColor", policy.IsDesktop32BitColor);
    ini.WriteInteger(kConfigureSection, "Billboard_High", policy.Billboard_High);
    ini.WriteInteger(kConfigureSection, "Billboard_Low", policy.Billboard_Low);
    ini.WriteInteger(kConfigureSection, "Force32BitScene", policy.Force32BitScene);
    ini.WriteInteger(kConfigureSection, "AnimationDelay", policy.AnimationDelay);
    return ini.Save(kConfigureFile) != 0;
}

// Reads one tunable; true when the key was present.
bool ReadTunable(KIniFile& ini, const char* key, int32_t fallback, int32_t& out) {
    int value = 0;
    const bool present = ini.GetInteger(kConfigureSection, key, fallback, &value) != 0;
    out = present ? value : fallback;
    return present;
}

}  // namespace

const KTextureBudgetTier& SelectTextureBudgetTier(uint32_t availableTextureBytes) {
    for (const KTierRange& range : kTiers)
        if (availableTextureBytes < range.below) return range.tier;
    return kTopTier;
}

void ApplyVideoPolicyFile(uint32_t availableTextureBytes) {
    KIniFile ini;
    if (!ini.Load(kPolicyFile)) return;
    int backRefresh = 0;
    ini.GetInteger(kPolicySection, "BackRefresh", kDefaultBackRefreshMB, &backRefresh);
    g_VideoPolicy.BackRefresh = backRefresh;

    const KTextureBudgetTier& tier = SelectTextureBudgetTier(availableTextureBytes);
    int threshold = 0;
    int target = 0;
    ini.GetInteger(kPolicySection, tier.thresholdKey, static_cast<int>(tier.thresholdDefault), &threshold);
    ini.GetInteger(kPolicySection, tier.targetKey, static_cast<int>(tier.targetDefault), &target);
    g_TexMemThreshold = static_cast<uint32_t>(threshold);
    g_TexMemTarget = static_cast<uint32_t>(target);
}

int DetectVideoCardType(const char* adapterDescription) {
    if (!adapterDescription) return 0;
    for (const KCardName& card : kCardNames)
        if (std::strstr(adapterDescription, card.text)) return card.type;
    return 0;
}

int DesktopBytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            return 4;
        case D3DFMT_R5G6B5:
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
            return 2;
        default:
            return 0;
    }
}

KTextureFormatChoice ChooseTextureFormats(const KTextureFormatSupport& support, bool desktop32) {
    KTextureFormatChoice choice{D3DFMT_UNKNOWN, false, 0, D3DFMT_UNKNOWN};
    if (support.a4r4g4b4) {
        choice.renderTarget = D3DFMT_A4R4G4B4;
        choice.renderTargetAlpha = true;
    } else if (support.a8r8g8b8) {
        choice.renderTarget = D3DFMT_A8R8G8B8;
        choice.renderTargetAlpha = true;
    } else if (support.r5g6b5) {
        choice.renderTarget = D3DFMT_R5G6B5;
        choice.renderTargetWarning = desktop32 ? 6 : 10;
    } else if (support.x8r8g8b8) {
        choice.renderTarget = D3DFMT_X8R8G8B8;
        choice.renderTargetWarning = desktop32 ? 7 : 11;
    }
    if (support.r5g6b5)
        choice.picture = D3DFMT_R5G6B5;
    else if (support.x8r8g8b8)
        choice.picture = D3DFMT_X8R8G8B8;
    return choice;
}

int NoRenderTargetFormatText(bool desktop32) { return desktop32 ? 8 : 12; }
int NoPictureFormatText(bool desktop32) { return desktop32 ? 9 : 13; }

void SetDefaultTunables(KVideoPolicy& policy) {
    policy.Billboard_High = kDefaultBillboardHigh;
    policy.Billboard_Low = kDefaultBillboardLow;
    policy.AnimationDelay = kDefaultAnimationDelay;
    policy.Force32BitScene = policy.VideoMemory > 128 ? 1 : 0;
}

bool LoadOrWriteConfigureFile(KVideoPolicy& policy) {
    KIniFile ini;
    if (!ini.Load(kConfigureFile)) {
        SetDefaultTunables(policy);
        return SaveConfigureFile(policy);
    }
    KVideoPolicy defaults = policy;
    SetDefaultTunables(defaults);
    bool complete = true;
    complete &= ReadTunable(ini, "Billboard_High", defaults.Billboard_High, policy.Billboard_High);
    complete &= ReadTunable(ini, "Billboard_Low", defaults.Billboard_Low, policy.Billboard_Low);
    complete &= ReadTunable(ini, "Force32BitScene", defaults.Force32BitScene, policy.Force32BitScene);
    complete &= ReadTunable(ini, "AnimationDelay", defaults.AnimationDelay, policy.AnimationDelay);
    return complete || SaveConfigureFile(policy);
}

void ResetVideoPolicy() {
    g_VideoPolicy = KVideoPolicy{};
    g_TexMemThreshold = kDefaultTexMemThreshold;
    g_TexMemTarget = kDefaultTexMemTarget;
    g_RenderTextureFormat = D3DFMT_A8R8G8B8;
    g_PictureTextureFormat = D3DFMT_X8R8G8B8;
}
