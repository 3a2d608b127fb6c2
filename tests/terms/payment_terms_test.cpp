#include "terms/payment_terms.h"
