#include "run/driver.h"

namespace zunt {

int counting_run(RunContext& ctx) {
    (void)ctx;
    return 0;
}

}  // namespace zunt
