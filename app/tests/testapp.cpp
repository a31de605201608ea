// The application object the program's pieces expect to find.
#include "app/vantrelapp.h"

CVantrelApp g_testApp;
