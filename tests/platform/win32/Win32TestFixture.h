// Every Win32 stand-in test starts and ends with the defaults.
#pragma once

#include <gtest/gtest.h>

#include "win32/Control.h"

class Win32Test : public ::testing::Test {
protected:
    void SetUp() override { lumiva::win32::ResetForTests(); }
    void TearDown() override { lumiva::win32::ResetForTests(); }
};
