// The common base of the pictures the image cache holds: JPEG and blank
// pictures (KJpgImage) and sprites (KSprImage).
#pragma once

#include <windows.h>

#include <cstdint>

// Image types.
constexpr int kImageJpeg = 0;
constexpr int kImageSprite = 1;
constexpr int kImageBlank32 = 2;  // blank A8R8G8B8 picture

class IKImage {
public:
    virtual bool IsValid() { return true; }

protected:
    ~IKImage() = default;
};

class KImageTexture : public IKImage {
public:
    KImageTexture() = default;
    KImageTexture(const KImageTexture&) = delete;
    KImageTexture& operator=(const KImageTexture&) = delete;
    virtual ~KImageTexture();

    virtual void Reset() = 0;
    virtual bool Create(const char* name, int width, int height, int type, bool withSystemCopy) = 0;
    virtual bool Open(const char* name, int type) = 0;
    virtual void Close() = 0;
    virtual bool InvalidateDeviceObjects() = 0;
    virtual bool RestoreDeviceObjects() = 0;
    virtual bool Trim() = 0;

    // Interlocked; DecRef returns the new count.
    LONG AddRef();
    LONG DecRef();
    LONG RefCount() const { return m_refCount; }

    int GetType() const { return m_type; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Bytes of texture memory the picture's textures take.
    uint32_t GetCost() const { return m_cost; }
    // Bytes of system memory its frame data takes.
    uint32_t GetMemory() const { return m_memory; }
    bool IsUsed() const { return m_used; }
    void SetUsed(bool used) { m_used = used; }

    // Sprites only; 0 for other pictures.
    virtual int GetCenterX() const { return 0; }
    virtual int GetCenterY() const { return 0; }
    virtual int GetHeaderWord16() const { return 0; }
    virtual int GetHeaderWord18() const { return 0; }
    virtual int GetFrameCount() const { return 1; }

protected:
    void ResetCounters();

    volatile LONG m_refCount = 1;
    int32_t m_type = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_cost = 0;
    uint32_t m_memory = 0;
    bool m_used = false;
};
