// A fixture whose tests read the shell's call log: the log is off in the
// module and comes on here, after the base fixture's reset.
#pragma once

#include "shell/NeighbourServices.h"

template <class Base>
class WithCallLog : public Base {
protected:
    using Base::Base;
    void SetUp() override {
        Base::SetUp();
        neighbours::StartCallLog();
    }
};
