#include "views/MueveFigura.h"
