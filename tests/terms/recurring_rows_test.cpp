#include "terms/recurring_rows.h"
