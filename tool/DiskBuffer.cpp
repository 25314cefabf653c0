#include "DiskBuffer.h"

unsigned char DiskBuffer[DiskBufferSize];
