#include "terms/due_dates.h"
