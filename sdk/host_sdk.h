// The host SDK as a module includes it.
#pragma once

#include "ge_containers.h"
#include "ge_documents.h"
#include "ge_entry.h"
#include "ge_export.h"
#include "ge_files.h"
#include "ge_general.h"
#include "ge_module.h"
#include "ge_objects.h"
#include "ge_plugins.h"
#include "ge_resources.h"
#include "ge_strings.h"
#include "ge_types.h"
#include "operatingsystem.h"
