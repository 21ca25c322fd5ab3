// The 28 device states that text drawing sets, in the order they are set,
// saved and given back.
#pragma once

#include <d3d9.h>

#include <array>
#include <cstdint>

enum class TextStateKind : uint8_t { Render, Stage, Sampler };

struct TextState {
    TextStateKind kind;
    DWORD stage;  // stage or sampler; unused for render states
    DWORD state;
    DWORD value;
};

constexpr int kTextStateCount = 28;
extern const std::array<TextState, kTextStateCount> kTextStates;

using TextStateValues = std::array<uint32_t, kTextStateCount>;

void ApplyTextStates(IDirect3DDevice9* device);
void ReadTextStates(IDirect3DDevice9* device, TextStateValues& values);
void WriteTextStates(IDirect3DDevice9* device, const TextStateValues& values);
