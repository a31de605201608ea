#include "accountfile.h"
