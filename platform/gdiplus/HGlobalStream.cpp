// IStream over HGLOBAL memory. Clones share the memory and its logical size
// and keep their own seek position.
#include <objidl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Streams stay within what a 32-bit process could address.
const ULONGLONG kMaxStreamBytes = 0x7FFFFFFFull;

// {00000000-0000-0000-C000-000000000046}
const IID kIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Backing {
    HGLOBAL memory = nullptr;
    bool deleteOnRelease = false;
    ULONGLONG size = 0;  // the stream's size; the block may be larger

    ~Backing() {
        if (deleteOnRelease) GlobalFree(memory);
    }

    // The block holds at least `bytes`; growth doubles to keep appends linear.
    bool Reserve(ULONGLONG bytes) {
        SIZE_T capacity = GlobalSize(memory);
        if (bytes <= capacity) return true;
        ULONGLONG grown = std::min(kMaxStreamBytes, std::max<ULONGLONG>(bytes, ULONGLONG(capacity) * 2));
        HGLOBAL moved = GlobalReAlloc(memory, SIZE_T(grown), GMEM_MOVEABLE);
        if (!moved) return false;
        memory = moved;
        return true;
    }
};

// Locks the block for the length of one operation.
class Locked {
public:
    explicit Locked(HGLOBAL memory) : memory_(memory), data_(static_cast<BYTE*>(GlobalLock(memory))) {}
    ~Locked() {
        if (data_) GlobalUnlock(memory_);
    }
    BYTE* data() const { return data_; }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    HGLOBAL memory_;
    BYTE* data_;
};

class HGlobalStream final : public IStream {
public:
    explicit HGlobalStream(std::shared_ptr<Backing> backing, ULONGLONG position = 0)
        : backing_(std::move(backing)), position_(position) {}

    HGLOBAL Memory() const { return backing_->memory; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == kIUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
            AddRef();
            *object = static_cast<IStream*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG bytes, ULONG* bytesRead) override {
        if (bytesRead) *bytesRead = 0;
        if (!buffer && bytes) return STG_E_INVALIDPOINTER;
        ULONGLONG available = position_ < backing_->size ? backing_->size - position_ : 0;
        ULONG count = ULONG(std::min<ULONGLONG>(bytes, available));
        if (count) {
            Locked block(backing_->memory);
            if (!block.data()) return E_FAIL;
            std::memcpy(buffer, block.data() + position_, count);
            position_ += count;
        }
        if (bytesRead) *bytesRead = count;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG bytes, ULONG* bytesWritten) override {
        if (bytesWritten) *bytesWritten = 0;
        if (!buffer && bytes) return STG_E_INVALIDPOINTER;
        if (bytes == 0) return S_OK;
        ULONGLONG end = position_ + bytes;
        if (position_ > kMaxStreamBytes || end > kMaxStreamBytes) return STG_E_MEDIUMFULL;
        if (!Grow(end)) return STG_E_MEDIUMFULL;
        Locked block(backing_->memory);
        if (!block.data()) return E_FAIL;
        std::memcpy(block.data() + position_, buffer, bytes);
        position_ = end;
        if (bytesWritten) *bytesWritten = bytes;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
        LONGLONG base;
        switch (origin) {
            case STREAM_SEEK_SET: base = 0; break;
            case STREAM_SEEK_CUR: base = LONGLONG(position_); break;
            case STREAM_SEEK_END: base = LONGLONG(backing_->size); break;
            default: return STG_E_INVALIDFUNCTION;
        }
        LONGLONG target;
        if (__builtin_add_overflow(base, move.QuadPart, &target) || target < 0) return STG_E_INVALIDFUNCTION;
        position_ = ULONGLONG(target);
        if (newPosition) newPosition->QuadPart = position_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER newSize) override {
        if (newSize.QuadPart > kMaxStreamBytes) return STG_E_MEDIUMFULL;
        if (newSize.QuadPart > backing_->size) return Grow(newSize.QuadPart) ? S_OK : STG_E_MEDIUMFULL;
        backing_->size = newSize.QuadPart;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER bytes, ULARGE_INTEGER* bytesRead,
                                     ULARGE_INTEGER* bytesWritten) override {
        if (bytesRead) bytesRead->QuadPart = 0;
        if (bytesWritten) bytesWritten->QuadPart = 0;
        if (!target) return STG_E_INVALIDPOINTER;
        ULONGLONG available = position_ < backing_->size ? backing_->size - position_ : 0;
        ULONG count = ULONG(std::min<ULONGLONG>({bytes.QuadPart, available, kMaxStreamBytes}));
        // Copied out first: the target may share this memory and move it.
        std::vector<BYTE> chunk(count);
        ULONG read = 0;
        HRESULT result = Read(chunk.data(), count, &read);
        if (FAILED(result)) return result;
        if (bytesRead) bytesRead->QuadPart = read;
        ULONG written = 0;
        result = target->Write(chunk.data(), read, &written);
        if (bytesWritten) bytesWritten->QuadPart = written;
        return result;
    }

    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* statistics, DWORD) override {
        if (!statistics) return STG_E_INVALIDPOINTER;
        *statistics = STATSTG{};
        statistics->type = STGTY_STREAM;
        statistics->cbSize.QuadPart = backing_->size;
        statistics->grfMode = 0x00000002;  // STGM_READWRITE
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override {
        if (!clone) return STG_E_INVALIDPOINTER;
        *clone = new HGlobalStream(backing_, position_);
        return S_OK;
    }

private:
    ~HGlobalStream() = default;

    // Extends the stream to `end`; the bytes between the old end and the
    // new one read as zero.
    bool Grow(ULONGLONG end) {
        if (end <= backing_->size) return true;
        if (!backing_->Reserve(end)) return false;
        Locked block(backing_->memory);
        if (!block.data()) return false;
        std::memset(block.data() + backing_->size, 0, size_t(end - backing_->size));
        backing_->size = end;
        return true;
    }

    std::shared_ptr<Backing> backing_;
    ULONGLONG position_;
    std::atomic<ULONG> references_{1};
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, LPSTREAM* stream) {
    if (!stream) return E_INVALIDARG;
    *stream = nullptr;
    auto backing = std::make_shared<Backing>();
    if (memory) {
        // A handle that is not a live block would be read blindly.
        if (!GlobalLock(memory)) return E_INVALIDARG;
        GlobalUnlock(memory);
        backing->size = GlobalSize(memory);
    } else {
        memory = GlobalAlloc(GMEM_MOVEABLE, 0);
        if (!memory) return E_OUTOFMEMORY;
    }
    backing->memory = memory;
    backing->deleteOnRelease = deleteOnRelease != FALSE;
    *stream = new HGlobalStream(std::move(backing));
    return S_OK;
}

HRESULT GetHGlobalFromStream(LPSTREAM stream, HGLOBAL* memory) {
    if (!memory) return E_INVALIDARG;
    *memory = nullptr;
    auto* own = dynamic_cast<HGlobalStream*>(stream);
    if (!own) return E_INVALIDARG;
    *memory = own->Memory();
    return S_OK;
}
