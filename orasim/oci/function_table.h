// The simulator's OCI functions as one table, for a program that links the static library and
// installs it as its client (oci::install_client(orasim_function_table())).
#pragma once

#include "oci/loader.h"

const ::oci::functions& orasim_function_table();
