// The rom layer sees its own headers and those of the layers below it.
#include "common/error.h"
#include "compression/kosinski.h"
#include "rom/romimage.h"

int orvexLayerProbe() {
    return 0;
}
