#include "menudoc/ahfile.h"

#include <gtest/gtest.h>
