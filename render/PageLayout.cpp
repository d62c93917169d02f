#include "PageLayout.h"
