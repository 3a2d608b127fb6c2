#include "terms/bank_calendar.h"
