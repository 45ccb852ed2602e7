#include "namedays/namedays.h"
