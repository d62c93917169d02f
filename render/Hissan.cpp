#include "Hissan.h"
