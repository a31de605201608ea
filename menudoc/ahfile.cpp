#include "ahfile.h"
