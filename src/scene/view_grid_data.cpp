#include "scene/view_grid_data.h"
