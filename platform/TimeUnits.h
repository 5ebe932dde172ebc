#pragma once

namespace zandor::platform {

// The clocks and limits here count milliseconds; people read seconds.
constexpr double kMillisecondsPerSecond = 1000.0;

}  // namespace zandor::platform
