#include "platform/env.h"
#include "run/driver.h"

int main(int argc, char** argv) { return zunt::run_zunt(zunt::default_env(), argc, argv); }
