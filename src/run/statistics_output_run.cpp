#include "run/driver.h"

namespace zunt {

int statistics_output_run(RunContext& ctx) {
    (void)ctx;
    return 0;
}

}  // namespace zunt
