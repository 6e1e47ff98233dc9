#include "app/quorlen.h"

void Picture_Stock_Init(Quorlen&) {}
