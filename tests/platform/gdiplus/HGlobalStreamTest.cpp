#include "GdiplusTestSupport.h"

namespace gdiplus_test {
namespace {

LARGE_INTEGER Offset(LONGLONG value) {
    LARGE_INTEGER offset;
    offset.QuadPart = value;
    return offset;
}

ULONGLONG Position(IStream* stream) {
    ULARGE_INTEGER position{};
    stream->Seek(Offset(0), STREAM_SEEK_CUR, &position);
    return position.QuadPart;
}

ULONGLONG StreamSize(IStream* stream) {
    STATSTG stat{};
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.type, DWORD(STGTY_STREAM));
    return stat.cbSize.QuadPart;
}

std::string ReadText(IStream* stream, ULONG bytes) {
    std::string text(bytes, '\0');
    ULONG read = 0;
    EXPECT_EQ(stream->Read(text.data(), bytes, &read), S_OK);
    text.resize(read);
    return text;
}

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        blocksBefore = lumiva::gdiplus::LiveGlobalBlockCount();
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    }
    void TearDown() override {
        if (stream) {
            EXPECT_EQ(stream->Release(), 0u);
        }
        EXPECT_EQ(lumiva::gdiplus::LiveGlobalBlockCount(), blocksBefore);
    }
    void Write(const std::string& text) {
        ULONG written = 0;
        ASSERT_EQ(stream->Write(text.data(), ULONG(text.size()), &written), S_OK);
        ASSERT_EQ(written, text.size());
    }
    size_t blocksBefore = 0;
    IStream* stream = nullptr;
};

TEST_F(StreamTest, WriteSeekAndReadBack) {
    Write("hello world");
    EXPECT_EQ(Position(stream), 11u);
    EXPECT_EQ(StreamSize(stream), 11u);
    ULARGE_INTEGER at{};
    ASSERT_EQ(stream->Seek(Offset(6), STREAM_SEEK_SET, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 6u);
    EXPECT_EQ(ReadText(stream, 5), "world");
    // Reading at the end is a short read, not an error.
    EXPECT_EQ(ReadText(stream, 8), "");
    ASSERT_EQ(stream->Seek(Offset(-5), STREAM_SEEK_END, &at), S_OK);
    EXPECT_EQ(at.QuadPart, 6u);
    ASSERT_EQ(stream->Seek(Offset(-6), STREAM_SEEK_CUR, &at), S_OK);
    EXPECT_EQ(ReadText(stream, 100), "hello world");
    ASSERT_EQ(stream->Seek(Offset(0), STREAM_SEEK_SET, nullptr), S_OK);
    Write("J");
    ASSERT_EQ(stream->Seek(Offset(0), STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(ReadText(stream, 100), "Jello world");
}

TEST_F(StreamTest, SeeksBeforeTheStartOrFromNowhereAreRefused) {
    Write("abc");
    EXPECT_EQ(stream->Seek(Offset(-4), STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->Seek(Offset(-1), STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->Seek(Offset(0), 3, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->Seek(Offset(INT64_MAX), STREAM_SEEK_END, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(Position(stream), 3u);
}

TEST_F(StreamTest, WritingPastTheEndZeroFillsTheGap) {
    ASSERT_EQ(stream->Seek(Offset(10), STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(StreamSize(stream), 0u);  // seeking alone does not grow it
    Write("x");
    EXPECT_EQ(StreamSize(stream), 11u);
    stream->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadText(stream, 11), std::string(10, '\0') + "x");
}

TEST_F(StreamTest, SetSizeGrowsWithZerosAndShrinks) {
    Write("abcdef");
    ULARGE_INTEGER size{};
    size.QuadPart = 3;
    ASSERT_EQ(stream->SetSize(size), S_OK);
    size.QuadPart = 8;
    ASSERT_EQ(stream->SetSize(size), S_OK);
    EXPECT_EQ(StreamSize(stream), 8u);
    EXPECT_EQ(Position(stream), 6u);  // the position is left alone
    stream->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadText(stream, 100), std::string("abc") + std::string(5, '\0'));
    size.QuadPart = 1ull << 40;
    EXPECT_EQ(stream->SetSize(size), STG_E_MEDIUMFULL);
}

TEST_F(StreamTest, ManyAppendsKeepEveryByte) {
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        std::string chunk(37, char('a' + i % 26));
        Write(chunk);
        expected += chunk;
    }
    stream->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadText(stream, ULONG(expected.size() + 10)), expected);
}

TEST_F(StreamTest, CloneSharesTheBytesButNotThePosition) {
    Write("shared");
    IStream* clone = nullptr;
    ASSERT_EQ(stream->Clone(&clone), S_OK);
    EXPECT_EQ(Position(clone), 6u);
    clone->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadText(clone, 3), "sha");
    EXPECT_EQ(Position(stream), 6u);
    Write("!");
    EXPECT_EQ(ReadText(clone, 100), "red!");
    EXPECT_EQ(stream->Release(), 0u);  // the clone keeps the memory
    stream = nullptr;
    clone->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadText(clone, 100), "shared!");
    EXPECT_EQ(clone->Release(), 0u);
}

TEST_F(StreamTest, CopyToAnotherStream) {
    Write("0123456789");
    stream->Seek(Offset(2), STREAM_SEEK_SET, nullptr);
    IStream* target = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &target), S_OK);
    ULARGE_INTEGER bytes{}, read{}, written{};
    bytes.QuadPart = 5;
    ASSERT_EQ(stream->CopyTo(target, bytes, &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 5u);
    EXPECT_EQ(written.QuadPart, 5u);
    EXPECT_EQ(Position(stream), 7u);
    target->Seek(Offset(0), STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadText(target, 100), "23456");
    EXPECT_EQ(stream->CopyTo(nullptr, bytes, nullptr, nullptr), STG_E_INVALIDPOINTER);
    target->Release();
}

TEST_F(StreamTest, InterfacesAndReferences) {
    void* object = nullptr;
    ASSERT_EQ(stream->QueryInterface(IID_ISequentialStream, &object), S_OK);
    EXPECT_EQ(object, static_cast<void*>(stream));
    ASSERT_EQ(stream->QueryInterface(IID_IStream, &object), S_OK);
    EXPECT_EQ(stream->Release(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
    const IID other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
    EXPECT_EQ(stream->QueryInterface(other, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(stream->QueryInterface(IID_IStream, nullptr), E_POINTER);
    EXPECT_EQ(stream->AddRef(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
}

TEST_F(StreamTest, NullBuffersAreRefused) {
    ULONG count = 7;
    EXPECT_EQ(stream->Write(nullptr, 4, &count), STG_E_INVALIDPOINTER);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(stream->Read(nullptr, 4, &count), STG_E_INVALIDPOINTER);
    EXPECT_EQ(stream->Stat(nullptr, STATFLAG_NONAME), STG_E_INVALIDPOINTER);
}

TEST(HGlobalStream, StreamOverCallerMemoryLeavesItToTheCaller) {
    size_t before = lumiva::gdiplus::LiveGlobalBlockCount();
    HGLOBAL memory = GlobalAlloc(GHND, 5);
    ASSERT_NE(memory, nullptr);
    std::memcpy(GlobalLock(memory), "bytes", 5);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(memory, FALSE, &stream), S_OK);
    HGLOBAL behind = nullptr;
    ASSERT_EQ(GetHGlobalFromStream(stream, &behind), S_OK);
    EXPECT_EQ(behind, memory);
    EXPECT_EQ(ReadText(stream, 10), "bytes");
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_EQ(GlobalSize(memory), 5u);
    EXPECT_EQ(GlobalFree(memory), nullptr);
    EXPECT_EQ(lumiva::gdiplus::LiveGlobalBlockCount(), before);
}

TEST(HGlobalStream, CreationChecksItsArguments) {
    IStream* stream = reinterpret_cast<IStream*>(1);
    int notMemory = 0;
    EXPECT_EQ(CreateStreamOnHGlobal(&notMemory, TRUE, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, nullptr), E_INVALIDARG);
    HGLOBAL memory = reinterpret_cast<HGLOBAL>(1);
    EXPECT_EQ(GetHGlobalFromStream(nullptr, &memory), E_INVALIDARG);
    EXPECT_EQ(memory, nullptr);
}

TEST(GlobalMemory, FixedAndMoveableBlocks) {
    size_t before = lumiva::gdiplus::LiveGlobalBlockCount();
    HGLOBAL fixed = GlobalAlloc(GPTR, 8);
    EXPECT_EQ(GlobalLock(fixed), fixed);  // a fixed block is its own address
    EXPECT_EQ(GlobalSize(fixed), 8u);
    HGLOBAL moveable = GlobalAlloc(GMEM_MOVEABLE, 4);
    BYTE* data = static_cast<BYTE*>(GlobalLock(moveable));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(GlobalLock(moveable), data);
    std::memcpy(data, "abcd", 4);
    EXPECT_TRUE(GlobalUnlock(moveable));   // still locked once
    EXPECT_FALSE(GlobalUnlock(moveable));  // now unlocked
    HGLOBAL grown = GlobalReAlloc(moveable, 4096, GMEM_MOVEABLE);
    EXPECT_EQ(grown, moveable);
    data = static_cast<BYTE*>(GlobalLock(moveable));
    EXPECT_EQ(std::memcmp(data, "abcd", 4), 0);
    EXPECT_EQ(data[4095], 0);
    GlobalUnlock(moveable);
    EXPECT_EQ(GlobalReAlloc(fixed, 64, 0), nullptr);  // a fixed block may not move
    EXPECT_EQ(GlobalFree(fixed), nullptr);
    EXPECT_EQ(GlobalFree(moveable), nullptr);
    EXPECT_EQ(GlobalFree(moveable), moveable);  // already gone
    EXPECT_EQ(GlobalSize(moveable), 0u);
    EXPECT_EQ(GlobalLock(moveable), nullptr);
    EXPECT_EQ(lumiva::gdiplus::LiveGlobalBlockCount(), before);
}

}  // namespace
}  // namespace gdiplus_test
