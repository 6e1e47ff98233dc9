#pragma once
#include <QString>

extern QString MKS70_Patch_Name;
