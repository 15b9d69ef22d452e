// The counting run's loading of the file areas and of maxfiles.idx.
#pragma once

#include "areas/area_table.h"
#include "areas/maxfiles_index.h"
#include "run/driver.h"

namespace zunt {

// Loads the areas (always; with no area setting the table stays empty) and,
// when maxfilesidx is set, maxfiles.idx. Returns -1 to go on, else the exit
// code of the failure stop it has made.
int load_areas_step(RunContext& ctx, AreaConfig& areas, MaxfilesIndex& maxfiles);

}  // namespace zunt
