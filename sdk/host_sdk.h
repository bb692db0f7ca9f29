// The host SDK as a module includes it.
#pragma once

#include "ge_container.h"
#include "ge_entry.h"
#include "ge_export.h"
#include "ge_files.h"
#include "ge_general.h"
#include "ge_module.h"
#include "ge_objects.h"
#include "ge_plugins.h"
#include "ge_resource.h"
#include "ge_string.h"
#include "ge_types.h"
#include "host_os.h"
