// The shared dynamic vertex buffer: appended runs, alignment to the stride,
// the wrap with discard, refused requests and re-creation after a mode change.
#include <gtest/gtest.h>

#include <climits>

#include "FrameFixture.h"

namespace shell_test {
namespace {

class DynamicVertexBuffer : public FrameTest {
protected:
    struct Run {
        void* memory;
        int first;
        IDirect3DVertexBuffer9* buffer;
    };

    Run Lock(int count, int stride) {
        Run run{nullptr, -1, nullptr};
        run.memory = m_frameShell->LockDynamicVertices(count, stride, &run.first, &run.buffer);
        if (run.memory) m_frameShell->UnlockDynamicVertices();
        return run;
    }

    struct LockArgs {
        uint64_t offset, size, flags;
        bool operator==(const LockArgs&) const = default;
    };
    static std::vector<LockArgs> Locks() {
        std::vector<LockArgs> locks;
        for (const auto& call : lumiva::d3d9::RecordedCallsNamed("VertexBuffer::Lock"))
            locks.push_back({call.args[1], call.args[2], call.args[3]});
        return locks;
    }
};

TEST_F(DynamicVertexBuffer, FirstLockCreatesTheBufferAndRunsFollowEachOther) {
    Start();
    EXPECT_EQ(m_frameShell->dynamicVertexBuffer, nullptr);
    const Run a = Lock(4, 28);
    ASSERT_NE(a.memory, nullptr);
    EXPECT_EQ(a.first, 0);
    ASSERT_EQ(a.buffer, m_frameShell->dynamicVertexBuffer);
    D3DVERTEXBUFFER_DESC desc{};
    a.buffer->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 256000u);
    EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC));
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.FVF, 0u);

    const Run b = Lock(4, 28);
    EXPECT_EQ(b.first, 4);
    EXPECT_EQ(b.buffer, a.buffer);
    EXPECT_EQ(m_frameShell->dynamicWritePosition, 224u);
    EXPECT_EQ(Locks(), (std::vector<LockArgs>{{0, 112, D3DLOCK_NOOVERWRITE}, {112, 112, D3DLOCK_NOOVERWRITE}}));
}

TEST_F(DynamicVertexBuffer, RunsOfOtherStridesStartOnWholeVertices) {
    Start();
    Lock(5, 20);  // ends at byte 100
    const Run run = Lock(1, 28);
    EXPECT_EQ(run.first, 4);  // aligned to 112
    EXPECT_EQ(m_frameShell->dynamicWritePosition, 140u);
    EXPECT_EQ(Locks().back(), (LockArgs{112, 28, D3DLOCK_NOOVERWRITE}));
}

TEST_F(DynamicVertexBuffer, RunEndingAtTheEndIsAppendedAndTheNextWraps) {
    Start();
    Lock(1, 1000);               // 0..1000
    const Run last = Lock(255, 1000);  // 1000..256000
    ASSERT_NE(last.memory, nullptr);
    EXPECT_EQ(last.first, 1);
    EXPECT_EQ(m_frameShell->dynamicWritePosition, 256000u);
    const Run wrapped = Lock(3, 28);
    ASSERT_NE(wrapped.memory, nullptr);
    EXPECT_EQ(wrapped.first, 0);
    EXPECT_EQ(m_frameShell->dynamicWritePosition, 84u);
    EXPECT_EQ(Locks(), (std::vector<LockArgs>{{0, 1000, D3DLOCK_NOOVERWRITE},
                                              {1000, 255000, D3DLOCK_NOOVERWRITE},
                                              {0, 0, D3DLOCK_DISCARD}}));
    // The next run appends after the wrapped one again.
    EXPECT_EQ(Lock(1, 28).first, 3);
}

TEST_F(DynamicVertexBuffer, RequestLargerThanTheBufferFailsWithoutDiscarding) {
    Start();
    Lock(1, 10);
    lumiva::d3d9::ClearRecording();
    EXPECT_EQ(Lock(9143, 28).memory, nullptr);  // 256004 bytes
    EXPECT_TRUE(Locks().empty());
    EXPECT_EQ(m_frameShell->dynamicWritePosition, 28u);  // only aligned
    EXPECT_NE(Lock(9142, 28).memory, nullptr);           // 255976 bytes fit after a wrap
}

TEST_F(DynamicVertexBuffer, RefusesCountsAndStridesThatMakeNoRun) {
    Start();
    const struct {
        int count, stride;
    } cases[] = {{0, 28}, {-1, 28}, {4, 0}, {4, -28}, {INT_MAX, INT_MAX}, {INT_MIN, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " x " << c.stride);
        int first = 77;
        IDirect3DVertexBuffer9* buffer = nullptr;
        EXPECT_EQ(m_frameShell->LockDynamicVertices(c.count, c.stride, &first, &buffer), nullptr);
        EXPECT_EQ(first, 77);
        EXPECT_EQ(buffer, nullptr);
    }
    EXPECT_TRUE(Locks().empty());
}

TEST_F(DynamicVertexBuffer, DisplayModeChangeReleasesItAndTheNextLockStartsAgain) {
    Start();
    const Run before = Lock(10, 28);
    ASSERT_NE(before.memory, nullptr);
    const UINT live = lumiva::d3d9::LiveResourceCount();
    ASSERT_TRUE(m_frameShell->ChangeDisplayMode(800, 600, 0, 0));
    EXPECT_EQ(m_frameShell->dynamicVertexBuffer, nullptr);
    EXPECT_EQ(m_frameShell->dynamicWritePosition, 0u);
    const Run after = Lock(2, 28);
    ASSERT_NE(after.memory, nullptr);
    EXPECT_EQ(after.first, 0);
    EXPECT_EQ(lumiva::d3d9::LiveResourceCount(), live);
}

TEST_F(DynamicVertexBuffer, FailedCreationReturnsNullAndTriesAgainLater) {
    Start();
    lumiva::d3d9::FailCreationAt(1);
    EXPECT_EQ(Lock(4, 28).memory, nullptr);
    EXPECT_EQ(m_frameShell->dynamicVertexBuffer, nullptr);
    EXPECT_NE(Lock(4, 28).memory, nullptr);
}

TEST_F(DynamicVertexBuffer, NoDeviceNoBuffer) {
    KDrawShell* shell = MakeShell();
    int first = 0;
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(shell->LockDynamicVertices(4, 28, &first, &buffer), nullptr);
    EXPECT_EQ(shell->UnlockDynamicVertices(), D3D_OK);
}

}  // namespace
}  // namespace shell_test
