#include "QtSurface.h"
