#include <gtest/gtest.h>

#include <cstring>

#include "d3dx9.h"

namespace {

TEST(D3dxBuffer, HoldsZeroedBytesUntilLastRelease) {
    LPD3DXBUFFER buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(36, &buffer), S_OK);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->GetBufferSize(), 36u);
    auto* bytes = static_cast<unsigned char*>(buffer->GetBufferPointer());
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 36; ++i) EXPECT_EQ(bytes[i], 0);
    std::memset(bytes, 0xAB, 36);  // writable throughout

    void* same = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_ID3DXBuffer, &same), S_OK);
    EXPECT_EQ(same, buffer);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->AddRef(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST(D3dxBuffer, RefusesMissingOutputAndUnknownInterfaces) {
    EXPECT_TRUE(FAILED(D3DXCreateBuffer(4, nullptr)));
    LPD3DXBUFFER buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(0, &buffer), S_OK);
    EXPECT_EQ(buffer->GetBufferSize(), 0u);
    IID other = IID_ID3DXBuffer;
    other.Data1 ^= 1;
    void* object = buffer;
    EXPECT_EQ(buffer->QueryInterface(other, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    buffer->Release();
}

}  // namespace
