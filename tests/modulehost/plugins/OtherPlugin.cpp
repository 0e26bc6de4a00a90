#include "OtherPlugin.h"
