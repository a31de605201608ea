// What the hook library reports, and its two entry points that the program calls.
#pragma once

#include <windows.h>

#include "hook/hookrecord.h"
#include "hook/vantrelhk.h"
