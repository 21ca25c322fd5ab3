#include "textures/KImageTexture.h"

KImageTexture::~KImageTexture() = default;

LONG KImageTexture::AddRef() { return InterlockedIncrement(&m_refCount); }

LONG KImageTexture::DecRef() { return InterlockedDecrement(&m_refCount); }

void KImageTexture::ResetCounters() {
    m_width = 0;
    m_height = 0;
    m_cost = 0;
    m_memory = 0;
}
