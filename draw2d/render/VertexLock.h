// One request to the shell's shared dynamic vertex buffer, given back when
// the writes are done. Null when the buffer cannot serve the request.
#pragma once

#include <d3d9.h>

#include "shell/ScreenVertex.h"
#include "shell/ShellServices.h"

class KVertexLock {
public:
    // fvf 0: the caller has set the vertex format already.
    KVertexLock(KShellServices& shell, int count, DWORD fvf = 0x144, int stride = sizeof(KScreenVertex))
        : m_shell(shell), m_stride(stride) {
        m_device = shell.GetDevice();
        if (m_device && fvf) m_device->SetFVF(fvf);
        if (m_device && count > 0) m_data = shell.LockDynamicVertices(count, stride, &m_first, &m_buffer);
    }
    ~KVertexLock() { Unlock(); }
    KVertexLock(const KVertexLock&) = delete;
    KVertexLock& operator=(const KVertexLock&) = delete;

    explicit operator bool() const { return m_data != nullptr; }
    KScreenVertex* Vertices() const { return static_cast<KScreenVertex*>(m_data); }
    void* Data() const { return m_data; }
    UINT First() const { return UINT(m_first); }
    IDirect3DDevice9* Device() const { return m_device; }

    // Gives the buffer back and binds it as stream 0.
    void BindStream() {
        Unlock();
        m_device->SetStreamSource(0, m_buffer, 0, UINT(m_stride));
    }

private:
    void Unlock() {
        if (!m_locked()) return;
        m_shell.UnlockDynamicVertices();
        m_unlocked = true;
    }
    bool m_locked() const { return m_data && !m_unlocked; }

    KShellServices& m_shell;
    int m_stride;
    IDirect3DDevice9* m_device = nullptr;
    void* m_data = nullptr;
    int m_first = 0;
    IDirect3DVertexBuffer9* m_buffer = nullptr;
    bool m_unlocked = false;
};
