// The table slot of a virtual operation, for tests of interfaces that the
// host or the shell call by slot. With this ABI a pointer to a virtual
// member function holds its table offset in bytes plus one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace test_support {

template <typename Member>
long SlotOf(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(uintptr_t));
    uintptr_t raw[2];
    std::memcpy(raw, &member, sizeof raw);
    EXPECT_EQ(raw[0] % sizeof(void*), 1u) << "not a virtual operation";
    return static_cast<long>((raw[0] - 1) / sizeof(void*));
}

}  // namespace test_support
