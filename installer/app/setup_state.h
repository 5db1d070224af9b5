// The setup window's state.
#pragma once

#include <cstdint>

enum SetupState : std::int32_t {
  Ready = 0,       // notes shown, waiting for Install
  Installing = 1,  // worker running, progress and log shown
  Finished = 2,    // the worker has reached its end
};
