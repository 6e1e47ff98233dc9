#include "editors/patch_mks70.h"

QString MKS70_Patch_Name;
