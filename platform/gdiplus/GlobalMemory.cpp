// HGLOBAL memory. Fixed blocks are their own address; moveable blocks hide
// behind a handle that GlobalLock turns into the address. Every handle is
// looked up, so a stale one fails instead of being dereferenced.
#include <objidl.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "gdiplus/Control.h"

namespace {

struct Block {
    BYTE* data = nullptr;
    SIZE_T size = 0;
    bool moveable = false;
    UINT locks = 0;
};

struct BlockTable {
    std::mutex lock;
    std::map<HGLOBAL, Block> blocks;
};

BlockTable& Blocks() {
    static BlockTable* table = new BlockTable;  // outlives static destructors
    return *table;
}

// New bytes always start zeroed, so results never depend on old memory.
BYTE* AllocateZeroed(SIZE_T bytes) { return static_cast<BYTE*>(std::calloc(bytes ? bytes : 1, 1)); }

HGLOBAL NewMoveableHandle() { return static_cast<HGLOBAL>(new char); }

void FreeMoveableHandle(HGLOBAL handle) { delete static_cast<char*>(handle); }

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    BYTE* data = AllocateZeroed(bytes);
    if (!data) return nullptr;
    Block block{data, bytes, (flags & GMEM_MOVEABLE) != 0, 0};
    HGLOBAL handle = block.moveable ? NewMoveableHandle() : static_cast<HGLOBAL>(data);
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> hold(table.lock);
    table.blocks[handle] = block;
    return handle;
}

HGLOBAL GlobalReAlloc(HGLOBAL memory, SIZE_T bytes, UINT flags) {
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.blocks.find(memory);
    if (found == table.blocks.end()) return nullptr;
    Block block = found->second;
    if (!block.moveable && bytes <= block.size) {
        found->second.size = bytes;  // shrinks in place
        return memory;
    }
    // A fixed block's handle is its address; it may move only when allowed.
    if (!block.moveable && !(flags & GMEM_MOVEABLE)) return nullptr;
    BYTE* data = AllocateZeroed(bytes);
    if (!data) return nullptr;
    std::memcpy(data, block.data, block.size < bytes ? block.size : bytes);
    std::free(block.data);
    block.data = data;
    block.size = bytes;
    if (block.moveable) {
        found->second = block;
        return memory;
    }
    table.blocks.erase(found);
    table.blocks[static_cast<HGLOBAL>(data)] = block;
    return static_cast<HGLOBAL>(data);
}

LPVOID GlobalLock(HGLOBAL memory) {
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.blocks.find(memory);
    if (found == table.blocks.end()) return nullptr;
    if (found->second.moveable) ++found->second.locks;
    return found->second.data;
}

BOOL GlobalUnlock(HGLOBAL memory) {
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.blocks.find(memory);
    if (found == table.blocks.end()) return FALSE;
    Block& block = found->second;
    if (block.locks > 0) --block.locks;
    return block.locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL memory) {
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.blocks.find(memory);
    return found == table.blocks.end() ? 0 : found->second.size;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    if (!memory) return nullptr;
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.blocks.find(memory);
    if (found == table.blocks.end()) return memory;
    std::free(found->second.data);
    if (found->second.moveable) FreeMoveableHandle(memory);
    table.blocks.erase(found);
    return nullptr;
}

namespace lumiva::gdiplus {

size_t LiveGlobalBlockCount() {
    BlockTable& table = Blocks();
    std::lock_guard<std::mutex> hold(table.lock);
    return table.blocks.size();
}

}  // namespace lumiva::gdiplus
