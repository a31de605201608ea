#include "accounts/descipher.h"

#include <gtest/gtest.h>
