#include "descipher.h"
