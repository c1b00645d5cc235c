#include "column_layout.h"
