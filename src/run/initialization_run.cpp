#include "run/driver.h"

namespace zunt {

int initialization_run(RunContext& ctx) {
    (void)ctx;
    return 0;
}

}  // namespace zunt
