#pragma once

#include "platform/AlertSound.h"

namespace quorvel::testing {

class FakeAlertSound final : public platform::AlertSound {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

}  // namespace quorvel::testing
