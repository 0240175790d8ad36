#include "rom/romimage.h"
