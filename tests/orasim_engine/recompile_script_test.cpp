#include "fixture.h"
#include "recompile_script.h"
