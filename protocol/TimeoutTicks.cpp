#include "Target.h"

namespace zandor::protocol {

std::int32_t TimeoutTicks = 0;

void Timer1Tick()
{
    if (TimeoutTicks > 0)
        --TimeoutTicks;
}

}  // namespace zandor::protocol
