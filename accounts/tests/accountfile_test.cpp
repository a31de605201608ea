#include "accounts/accountfile.h"

#include <gtest/gtest.h>
